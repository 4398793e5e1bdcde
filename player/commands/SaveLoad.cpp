// *SAVE and *LOAD: numbered save files beside the game (format: docs/save-format.md).
// A save is written to a temporary file and renamed over the old one only when complete;
// a load checks the whole file before it changes anything but the music.
#include <exception>
#include <system_error>

#include "codec/PendingFile.h"
#include "common/SjisText.h"
#include "player/core/EngineImpl.h"
#include "player/core/SaveFile.h"
#include "player/core/ScriptText.h"
#include "player/core/Texts.h"

namespace vornal {

namespace {

std::string shownPath(const std::filesystem::path& path) {
    return sjis::fromUtf8(path.string());
}

}  // namespace

std::filesystem::path Engine::Impl::SaveFilePath(std::string_view line) {
    const std::int32_t slot = EvalOperand(GetToken(line, ' ', 1), false);
    const std::string name = ScriptName + std::to_string(slot) + ".sav";
    return (SaveFolder.empty() ? DataPath : SaveFolder) / name;
}

save::GameState Engine::Impl::SavedState() const {
    save::GameState state;
    state.scene = CurScene;
    const Music::State music = Bgm.GetState();
    state.musicLoaded = music.loaded;
    state.musicLoop = music.loop;
    state.song = music.file;
    for (std::int32_t i = 0; i < save::kSavedFlags; ++i)
        state.flags.push_back(FlagList.Value(i));
    for (std::size_t i = 0; i < Game.ItemList.Count(); ++i)
        state.items.push_back(Game.ItemList.Items(i).Value);
    state.stack = GameStack;
    return state;
}

void Engine::Impl::CmdSave(std::string_view line) {
    host.traceEvent("save", line);
    const std::filesystem::path path = SaveFilePath(line);
    std::error_code error;
    if (std::filesystem::exists(path, error) && !AskYesNo(texts::SaveOverwrite())) return;

    const save::GameState state = SavedState();
    try {
        if (!Media.pictures) throw PictureError("no picture encoder");
        // An area never drawn is saved as what it shows: its size in the background colour.
        const std::vector<Byte> picture = Media.pictures->encodeBmp(GrpImage.shown());
        PendingFile file(path);
        save::WriteSaveFile(file.stream(), picture, save::EncodeState(state));
        file.commit();
    } catch (const StreamError& failure) {
        // The message names the file already; the system's reason in the message's words.
        const FileFailure* refused = failure.failure();
        ShowMessage(texts::SaveWriteFailed(
            shownPath(path),
            sjis::fromUtf8(refused ? JapaneseReason(refused->error) : failure.what())));
    } catch (const std::exception& failure) {
        ShowMessage(texts::SaveWriteFailed(shownPath(path), sjis::fromUtf8(failure.what())));
    }
}

void Engine::Impl::CmdLoad(std::string_view line) {
    host.traceEvent("load", line);
    // The music stops whatever follows, as it always has.
    StopBgm();
    std::filesystem::path path = SaveFilePath(line);
    // Saves moved out of a folder that cannot be written: one that shipped with the game
    // still loads.
    if (!SaveFolder.empty()) {
        std::error_code error;
        const std::filesystem::path beside = DataPath / path.filename();
        if (!std::filesystem::exists(path, error) && std::filesystem::exists(beside, error))
            path = beside;
    }
    std::vector<Byte> bytes;
    try {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error))
            throw StreamError("not a file: " + path.string());
        FileStream file(path, FileStream::Mode::read);
        // Anything larger cannot be a save file; don't read it to find out.
        if (file.size() <= save::kMaxFileBytes) {
            bytes.resize(static_cast<std::size_t>(file.size()));
            file.readExact(bytes);
        }
    } catch (const StreamError&) {
        ShowMessage(texts::FileCannotOpen(shownPath(path)));
        return;
    }

    save::Contents contents;
    std::optional<Bitmap> picture;
    try {
        const save::ScriptLimits limits{Game.ItemList.Count(),
                                        static_cast<std::int32_t>(Game.ScriptLines.size()),
                                        static_cast<std::int64_t>(kMaxStackDepth)};
        contents = save::ReadSaveFile(std::move(bytes), limits);
        if (!contents.picture.empty()) {
            if (!Media.pictures) throw PictureError("no picture decoder");
            picture = Media.pictures->decode(contents.picture, PictureFormat::Bmp);
        }
    } catch (const save::SaveFormatError&) {
        ShowMessage(texts::SaveFormatWrong());
        return;
    } catch (const PictureError&) {
        ShowMessage(texts::SaveFormatWrong());
        return;
    }

    // Everything checked: from here on nothing can refuse the file.
    if (picture)
        GrpImage.replace(std::move(*picture));
    else
        GrpImage.forget();
    host.pictureChanged();
    const save::GameState& state = contents.state;
    CurScene = state.scene;
    for (std::size_t i = 0; i < state.flags.size(); ++i)
        FlagList.SetValue(static_cast<std::int32_t>(i), state.flags[i]);
    for (std::size_t i = 0; i < state.items.size(); ++i)
        Game.ItemList.Items(i).Value = state.items[i];
    if (state.hasStack) GameStack = state.stack;
    Bgm.RestoreFlags(state.musicLoaded, state.musicLoop);
    // A song that cannot be loaded is reported (and halts the game); the rest stands.
    if (state.musicLoaded) PlayBgm(state.song);
    RebuildCommands();
    MsgMemo.clear();
}

}  // namespace vornal

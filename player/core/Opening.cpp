// Opening a script (.vns) or scenario archive (.vnp). The new script is read and indexed
// into a fresh model that replaces the old one only when it is complete.
#include <algorithm>
#include <exception>
#include <optional>
#include <system_error>

#include "codec/Archive.h"
#include "common/ScriptEncoding.h"
#include "common/SjisText.h"
#include "player/core/EngineImpl.h"
#include "player/core/ScriptText.h"
#include "player/core/Snapshot.h"
#include "player/core/Texts.h"

namespace vornal {

namespace {

bool isArchiveName(const std::filesystem::path& file) {
    return sjis::upperAscii(file.extension().string()) == ".VNP";
}

// File names reach messages in the game's code page.
std::string displayName(const std::filesystem::path& file) {
    return sjis::fromUtf8(file.string());
}

}  // namespace

void Engine::Impl::ResetGame(const std::filesystem::path& file) {
    ++Generation;
    ArchiveStream.reset();
    ArchiveMode = false;
    OpeningProblems.clear();
    StopBgm();
    if (Media.sound) Media.sound->stop();
    UnplayableSounds.clear();
    SetGameTimer(false);
    Game = ScriptModel{};
    CmdList.clear();
    GameStack.clear();
    FlagList.Fill();
    CurLine = 0;
    CurScene = -1;
    WaitCount = 0;
    State = RunState::Idle;
    PassStarted = false;
    Halted = false;
    History.clear();
    Progressed = false;
    SaveFolder.clear();
    ScriptKey = 0;
    PictureName.clear();
    // Absolute, so that messages name the full path of a data file that was tried.
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(file, error);
    DataPath = (error ? file : full).parent_path();
    ScriptName = file.stem().string();
}

bool Engine::Impl::FailOpening(const std::string& message) {
    ArchiveStream.reset();
    ArchiveMode = false;
    OpeningProblems.clear();
    // Nothing can run in an empty game; let the player type (commands only echo).
    EnableInput(true);
    host.showMessage(message);
    return false;
}

bool Engine::Impl::OpenScript(const std::filesystem::path& file) {
    ResetGame(file);
    std::vector<Byte> text;
    bool opened = false;
    try {
        // A folder or a device opens without complaint but is no script.
        if (!std::filesystem::is_regular_file(file))
            return FailOpening(texts::FileCannotOpen(displayName(file)));
        if (isArchiveName(file)) {
            auto archive = std::make_unique<FileStream>(file, FileStream::Mode::read);
            opened = true;
            MemoryStream script;
            if (std::optional<std::string> refusal = ReadArchiveScript(*archive, script))
                return FailOpening(*refusal);
            if (script.size() > kMaxScriptBytes)
                return FailOpening(texts::ScriptTooLarge(displayName(file)));
            text = script.takeBytes();
            ArchiveStream = std::move(archive);
            ArchiveMode = true;
        } else {
            FileStream stream(file, FileStream::Mode::read);
            if (stream.size() > kMaxScriptBytes)
                return FailOpening(texts::ScriptTooLarge(displayName(file)));
            text.resize(static_cast<std::size_t>(stream.size()));
            stream.readExact(text);
        }
    } catch (const std::exception& error) {
        // Once the archive is open, a failure is the reader's: a damaged archive.
        if (opened)
            return FailOpening(texts::ScriptReadFailed() + " (" + sjis::fromUtf8(error.what()) +
                               ")");
        return FailOpening(texts::FileCannotOpen(displayName(file)));
    }
    return InstallScript(text, file);
}

std::optional<std::string> Engine::Impl::ReadArchiveScript(Stream& archive, MemoryStream& script) {
    // Every entry is judged now, from the headers: a cut or damaged archive is found at the
    // door, not when the game first asks for what lies past the damage.
    const ArchiveSurvey survey = SurveyArchive(archive);
    if (!survey.isArchive) return texts::ScriptReadFailed();
    std::vector<std::string> damage;
    for (const std::string& line : survey.damageLines(sjis::toUtf8))
        damage.push_back(sjis::fromUtf8(line));
    const auto isScript = [](const SurveyedEntry& e) {
        return e.nameKnown && e.info.name == kScriptEntryName;
    };
    const auto found = std::find_if(survey.entries.begin(), survey.entries.end(), isScript);
    const auto refuse = [](const std::string& reason) {
        return texts::ScriptReadFailed() + " (" + reason + ")";
    };
    if (found == survey.entries.end()) {
        // The script may lie past the damage, or be the entry whose name is lost.
        const bool hidden = !survey.damage.empty() ||
                            survey.entries.size() < static_cast<std::size_t>(survey.announced) ||
                            std::any_of(survey.entries.begin(), survey.entries.end(),
                                        [](const SurveyedEntry& e) { return !e.nameKnown; });
        return hidden ? refuse(damage.back()) : texts::ScriptReadFailed();
    }
    if (!found->damage.empty())
        return refuse(sjis::fromUtf8(survey.damageLine(*found, sjis::toUtf8)));
    ReadArchiveData(found->info, archive, script);
    OpeningProblems = std::move(damage);
    return std::nullopt;
}

bool Engine::Impl::OpenScriptText(std::span<const Byte> text, const std::filesystem::path& file) {
    ResetGame(file);
    return InstallScript(text, file);
}

bool Engine::Impl::InstallScript(std::span<const Byte> text, const std::filesystem::path& file) {
    // A UTF-8 script becomes Shift-JIS here; nothing after this point knows it was.
    const DecodedScript decoded = DecodeScript(text, ForcedEncoding);
    if (!decoded.problems.empty()) {
        const EncodingProblem& problem = decoded.problems.front();
        return FailOpening(texts::EncodingFailed(problem.line, problem.column,
                                                 problem.kind == EncodingProblem::Kind::InvalidUtf8,
                                                 problem.character));
    }
    ScriptModel model;
    model.ScriptLines = SplitScriptLines(decoded.bytes);
    if (model.ScriptLines.size() > static_cast<std::size_t>(INT32_MAX) / 2)
        return FailOpening(texts::ScriptTooLarge(displayName(file)));
    std::int32_t failedLine = 0;
    try {
        IndexScript(model, failedLine);
    } catch (const ScriptValueError&) {
        return FailOpening(texts::BadValue(failedLine, model.ScriptLines[failedLine]));
    }
    const std::int32_t start = model.LabelList.FindStartScene();
    if (start < 0) return FailOpening(texts::NoScene(displayName(file)));

    Game = std::move(model);
    ScriptKey = ScriptDigest(text);
    for (const WindowSetup& setup : Game.WindowSetups) {
        if (setup.IsTitle)
            SetCaption(setup.Caption);
        else
            SetPictureAreaSize(setup.Width, setup.Height);
    }
    CurScene = start;
    CurLine = start;
    RebuildCommands();
    State = RunState::Run;
    Halted = false;
    host.requestIdle();
    return true;
}

}  // namespace vornal

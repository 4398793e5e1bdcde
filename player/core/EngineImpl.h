// The engine's state and operations, shared by player/core and the command handlers of
// player/commands. Private to the engine: hosts use Engine.h only.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "codec/Stream.h"
#include "player/core/Engine.h"
#include "player/core/Media.h"
#include "player/core/MessageArea.h"
#include "player/core/PictureArea.h"
#include "player/core/SaveFile.h"
#include "player/core/ScriptModel.h"
#include "player/core/Snapshot.h"
#include "player/core/UndoHistory.h"
#include "player/music/Music.h"

namespace vornal {

// Thrown out of a modal host call when the game was replaced (a script opened from the
// dialog's nested event loop): the running pass is abandoned without touching the new game.
struct GameReplaced {};

struct Engine::Impl {
    Impl(Host& host, const MediaServices& media);
    ~Impl();

    // How many *GOSUB returns may be pending: a script that calls itself forever stops
    // there instead of eating memory.
    static constexpr std::size_t kMaxStackDepth = 100'000;
    static constexpr std::size_t kDefaultSliceLines = 20'000;
    static constexpr auto kSliceTime = std::chrono::milliseconds(4);
    // Data files larger than this are refused rather than read into memory.
    static constexpr std::int64_t kMaxDataFileBytes = std::int64_t{256} << 20;

    Host& host;
    MediaServices Media;
    std::unique_ptr<Music> OwnMusic;  // when the host gave none
    Music& Bgm;                       // VNMidiPlay, MMTimer1 and the music fields
    MessageArea MsgMemo;
    PictureArea GrpImage;

    // The script and the tables built from it.
    ScriptModel Game;
    TFlagList FlagList;
    TCmdList CmdList;
    TGameStack GameStack;

    std::int32_t CurLine = 0;
    std::int32_t CurScene = -1;
    RunState State = RunState::Idle;  // RunState
    std::int32_t WaitCount = 0;
    bool Halted = false;

    bool ArchiveMode = false;
    std::unique_ptr<Stream> ArchiveStream;
    std::filesystem::path DataPath;
    // Where *SAVE and *LOAD keep their files when the game's folder cannot be written.
    std::filesystem::path SaveFolder;
    std::uint64_t ScriptKey = 0;
    std::string Caption;      // the window's, as the game last set it
    std::string PictureName;  // the last picture drawn
    // Damaged data entries of the archive just opened (Engine::OpeningProblems()).
    std::vector<std::string> OpeningProblems;
    std::string ScriptName;

    // Errors raised on the music timer's thread, shown on ours at the next idle step.
    std::mutex NoticeMutex;
    std::vector<std::string> Notices;
    std::atomic<bool> NoticesPending{false};
    // Sound effects that would not play: each is reported once per game.
    std::vector<std::string> UnplayableSounds;

    bool InputEnabled = true;
    bool TimerEnabled = false;

    // The commands that can be taken back, and whether anything was typed (or resumed)
    // since the game was opened.
    UndoHistory History;
    bool Progressed = false;
    // The picture of the last snapshot, shared by the next ones while the area is unchanged:
    // most commands draw nothing, and a copy per command would cost the whole bitmap.
    mutable std::shared_ptr<const Bitmap> SnapshotPicture;
    mutable std::uint64_t SnapshotPictureVersion = 0;

    // A pass has begun (input disabled) and not yet reached its end; it may span slices.
    bool PassStarted = false;
    // Inside AppIdle: a nested event loop must not start another pass.
    bool InPass = false;
    // Counts openings, so a pass paused in a modal dialog notices it was replaced.
    std::uint64_t Generation = 0;
    std::size_t SliceLines = kDefaultSliceLines;
    std::mt19937 Random;
    // --encoding: read every script so; else each is detected as it is opened.
    std::optional<ScriptEncoding> ForcedEncoding;

    // Opening (Opening.cpp).
    bool OpenScript(const std::filesystem::path& file);
    bool OpenScriptText(std::span<const Byte> text, const std::filesystem::path& file);
    void ResetGame(const std::filesystem::path& file);
    bool InstallScript(std::span<const Byte> text, const std::filesystem::path& file);
    bool FailOpening(const std::string& message);
    // Reads the script entry of an archive into `script`; returns why the archive is
    // refused instead. Damage elsewhere in it goes to OpeningProblems.
    std::optional<std::string> ReadArchiveScript(Stream& archive, MemoryStream& script);

    // Executor (Executor.cpp).
    enum class PassEnd { Ended, Sliced };
    PassEnd RunScript(std::size_t maxLines);
    void Dispatch(int code, std::string_view line);
    void AppIdle();
    void GameTimerTimer();
    void EnableInput(bool enabled);
    void SetGameTimer(bool enabled);
    bool HasWork() const {
        return (State == RunState::Run && (!Halted || PassStarted)) || NoticesPending.load();
    }
    void ShowNotices();
    void RebuildCommands();
    // A value field that failed on `lineIndex`: reported once, play goes on.
    void ReportBadValue(std::int32_t lineIndex);

    // Command input (Input.cpp).
    void ProcessInput(std::string_view typed);
    void SetCaption(std::string_view text);

    // Snapshots, undo and resume points (Snapshot.cpp).
    // The game waits for a command (or in a *WAIT): no pass is under way or due.
    bool BetweenCommands() const;
    save::ScriptLimits Limits() const;
    Snapshot TakeSnapshot() const;
    // Throws what save::DecodeState throws, before anything has changed.
    void RestoreSnapshot(const Snapshot& snapshot);
    std::optional<std::string> UndoLast();
    std::optional<Snapshot> ResumeSnapshot() const;

    // Modal host calls made during a pass; throw GameReplaced if the game changed meanwhile.
    template <typename Call>
    auto Modal(Call&& call) {
        const auto generation = Generation;
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            if (Generation != generation) throw GameReplaced{};
        } else {
            auto result = call();
            if (Generation != generation) throw GameReplaced{};
            return result;
        }
    }
    void ShowMessage(const std::string& text);
    // Stops the game for good after showing `message` (Halted); the pass under way runs on.
    void Halt(const std::string& message);
    void ShowMidiError(const std::string& text);
    bool AskYesNo(std::string_view question);
    std::string AskInput(std::string_view prompt);
    void WaitForSound(std::chrono::milliseconds length);

    // Built-in commands (BuiltinCommands.cpp).
    void CmdTitle(std::string_view line);
    void CmdScreen(std::string_view line);
    void CmdCls();
    void CmdWait(std::string_view line);
    void CmdSetInput(std::string_view line);

    // Flow (commands/Flow.cpp).
    enum class JumpRule { Goto, If, YesNo };
    bool LabelJump(std::string_view name, JumpRule rule);
    void CmdGoto(std::string_view line);
    void CmdGosub(std::string_view line);

    // Flags and expressions (commands/Expressions.cpp).
    std::int32_t EvalOperand(std::string_view text, bool wantNumber, int depth = 0);
    std::int32_t EvalInner(std::string_view inner, int depth);
    void CmdAssign(std::string_view line);
    void CmdIf(std::string_view line);

    // Items (commands/Items.cpp).
    void CmdGetItem(std::string_view line);
    void CmdDelItem(std::string_view line);
    void CmdItemList();

    // Prompts (commands/Prompts.cpp).
    void CmdInput(std::string_view line);
    void CmdYesNo(std::string_view line);

    // Getting a data file (commands/Media.cpp): from the archive by its upper-cased name,
    // or from the game's folder. On failure the game is halted, the player told, and
    // nullopt returned.
    enum class DataKind { Picture, Sound, Music };
    std::optional<std::vector<Byte>> GetDataFile(const std::string& name, DataKind kind);
    // Failure A: "データ" + name + "の読み込みに失敗しました".
    void DataFileFailed(const std::string& name);
    // The area's size, for *SCREEN and opening.
    void SetPictureAreaSize(int width, int height);

    // Pictures (commands/Picture.cpp), sound effects (commands/SoundEffect.cpp), music
    // (commands/Bgm.cpp).
    void CmdPicture(std::string_view line);
    void CmdSe(std::string_view line);
    void CmdBgm(std::string_view line);
    void PlayBgm(std::string_view name);
    void StopBgm();

    // Save and load (commands/SaveLoad.cpp).
    std::filesystem::path SaveFilePath(std::string_view line);
    // The state record's contents for the game as it is now.
    save::GameState SavedState() const;
    void CmdSave(std::string_view line);
    void CmdLoad(std::string_view line);
};

}  // namespace vornal

// The game engine: script model, executor, command matching and every command handler,
// without any window. A host (Qt window, terminal, tests) owns one and forwards its
// events here; the engine talks back only through Host.
//
// Public surface used by hosts (keep it stable; tests and both hosts depend on it):
//   OpenScript(path)      open a .vns script or .vnp archive (the menu's open command)
//   ProcessInput(text)    a typed command (Button1 / Enter), Shift-JIS bytes
//   AppIdle()             run pending work; called by the host after requestIdle()
//   GameTimerTimer()      one 100 ms tick while the host's game timer is enabled
//   HasWork()             a pass is due or under way (the host should keep calling AppIdle)
//   Messages()            the message area's lines
//   Picture()             the picture area
//
// Host::requestIdle() comes only when there is work (a game opened, a command matched, a
// *WAIT over) and after each slice of a long pass; an idle engine asks for nothing. A *WAIT
// switches the game timer on through Host::setGameTimerEnabled and off when it is over.
// ProcessInput() does not look at InputEnabled(): hosts offer input only while it is true.
// Host::traceEvent carries "picture", "sound", "music", "save", "load" and "wait", each with
// the script line that caused it.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/Stream.h"
#include "common/ScriptEncoding.h"
#include "player/core/Host.h"
#include "player/core/Media.h"
#include "player/core/PictureArea.h"

namespace vornal {

enum class RunState : std::uint8_t { Idle = 0, Run = 1, Wait = 2 };

class Engine {
public:
    // `media` stays the host's; it must outlive the engine.
    explicit Engine(Host& host, const MediaServices& media = {});
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Opens a script (.vns, or any extension but .vnp) or a scenario archive (.vnp,
    // any letter case). On failure the host has been shown the reason, the game is
    // left empty and no file is kept open; returns false.
    bool OpenScript(const std::filesystem::path& file);

    // Echo, match, and start the matching block (it runs from the next AppIdle()).
    void ProcessInput(std::string_view typed);

    // Runs a bounded slice of the pending pass and returns. Does nothing when called
    // from inside a pass (a modal dialog's nested event loop) or when there is no work.
    // Asks the host for another call (requestIdle) while work remains.
    void AppIdle();
    bool HasWork() const;

    void GameTimerTimer();

    const std::deque<std::string>& Messages() const;
    // The picture area; Host::pictureChanged() says when to show it again.
    const PictureArea& Picture() const;
    RunState State() const;
    bool Halted() const;
    bool InputEnabled() const;

    // Additions for tests, fuzzing and authors' tools.
    // Opens script text held in memory as a plain script read from `asFile` (the file is
    // not touched; its folder and name stand for the game's data folder and save name).
    bool OpenScriptText(std::string_view text, const std::filesystem::path& asFile);
    // Replaces the clock seed of R(x).
    void SetRandomSeed(std::uint32_t seed);
    // Scripts opened from now on are read in this encoding; nullopt (the default) detects
    // it for each script (common/ScriptEncoding.h).
    void SetScriptEncoding(std::optional<ScriptEncoding> encoding);
    // Empties the message area and the picture area, as they were when the engine was
    // made: a game reopened for live reload starts on a clean screen.
    void ClearDisplay();
    // At most this many lines per AppIdle() call (a slice also ends after a few ms).
    void SetSliceLimit(std::size_t lines);
    bool GameTimerEnabled() const;
    std::int32_t FlagValue(std::int32_t number) const;                   // 0 outside 0..512
    std::optional<std::int32_t> ItemValue(std::string_view name) const;  // the last of that name
    std::int32_t CurrentLine() const;
    std::int32_t CurrentScene() const;
    // The name of the current scene's *SCENE line; empty before a game is open.
    std::string CurrentSceneName() const;
    std::size_t StackDepth() const;
    bool ArchiveOpen() const;
    // What is damaged in the archive just opened, one line each ("damaged archive 'PATH':
    // entry 3 'ROOM.BMP': ..."), Shift-JIS: the game plays what it can, and the host names
    // these once, outside the game's text. Empty for a sound archive or a script.
    const std::vector<std::string>& OpeningProblems() const;

    // Taking typed commands back. Each command typed while the game waits for one (or
    // during a *WAIT) keeps the state just before it, in memory only, up to
    // UndoHistory::kMaxLevels of them: flags, items, scene, stack, picture area, caption,
    // message area, and the music as *LOAD brings it back. Undo() returns there and gives
    // back the command's text; nullopt when nothing can be taken back, a pass is under way
    // or the game has stopped. A new game forgets them.
    std::optional<std::string> Undo();
    // The command Undo() would take back now, without taking it back.
    std::optional<std::string> UndoCommand() const;
    std::size_t UndoLevels() const;
    std::size_t UndoBytes() const;

    // A resume point (player/core/ResumeFile.h): the game as it waits for a command now, or,
    // while a pass is under way or after the game stopped, as it was before the last
    // command. Empty when nothing was typed (or resumed) since the game was opened.
    std::vector<Byte> ResumePoint() const;
    // Continues the open game from a resume point, before its opening pass has run or
    // between commands. False, with nothing changed, when the bytes are no resume point of
    // this script; may show a song's error box like *LOAD.
    bool Resume(std::vector<Byte> file);
    // Which game is open: a hash of its script's bytes (0 when none is).
    std::uint64_t ScriptKey() const;
    // The folder the game's data files and, by default, its saves are in.
    const std::filesystem::path& DataFolder() const;
    // Where *SAVE and *LOAD keep their files instead of the game's folder (a folder that
    // cannot be written); empty for the game's folder. A load that finds no file there
    // tries the game's folder. Reset when a game is opened.
    void SetSaveFolder(const std::filesystem::path& folder);
    const std::filesystem::path& SaveFolder() const;
    // The file name of the last picture drawn (Shift-JIS), the area's text alternative;
    // empty when unknown (nothing drawn, or the area came from a save file).
    const std::string& PictureName() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vornal

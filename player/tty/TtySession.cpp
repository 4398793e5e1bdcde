#include "player/tty/TtySession.h"

#include <poll.h>

#include <cstdio>

#include "common/ConsoleLines.h"
#include "common/SjisText.h"
#include "common/StopSignals.h"
#include "player/author/ProbeOpening.h"
#include "player/author/Replay.h"
#include "player/author/Seed.h"
#include "player/media/PictureFiles.h"
#include "player/session/UserData.h"
#include "player/tty/TtyAbort.h"

namespace vornal::tty {
namespace {

// The game stopped for good (Halted): the exit status at the end of input.
constexpr int kExitHalted = 3;

void complain(const std::string& text) {
    console::line(stderr, "vnplayer: " + text);
}

}  // namespace

TtySession::TtySession(const TtyOptions& options, std::FILE* out, int inFd, bool terminal)
    : options_(options),
      input_(inFd, stop::requested, &wake_),
      host_(out, input_, TtyHostSettings{options.trace, terminal, options.fast}, &wake_),
      media_(MediaOptions{.mute = options.mute,
                          .fast = options.fast,
                          .output = options.output,
                          .musicVolume = options.musicVolume,
                          .soundVolume = options.soundVolume},
             complain),
      engine_(host_, media_.services()) {
    media_.setProblemReporter([](const std::string& problem) {
        complain("music: " + problem + "; the music is silent");
    });
    engine_.SetScriptEncoding(options.encoding);
    // Live reload replays with the seed of the first run, so R(x) draws alike.
    if (options.seed || options.watch) {
        seed_ = options.seed.value_or(RandomSeed());
        engine_.SetRandomSeed(seed_);
    }
    if (options.watch) {
        watcher_ = std::make_unique<GameWatcher>(options.game);
        input_.alsoWakeOn(watcher_->fd(), [this] { noteChanges(); });
        host_.setInputLog(&log_);
    }
}

void TtySession::noteChanges() {
    if (watcher_->takeChanges()) reloadPending_ = true;
}

void TtySession::reload() {
    reloadPending_ = false;
    const std::string game = options_.game.string();
    if (const auto why = WhyGameDoesNotOpen(options_.game, options_.encoding)) {
        complain(game +
                 " changed but does not open; the game goes on as it was: " + sjis::toUtf8(*why));
        return;
    }
    engine_.ClearDisplay();
    host_.writeNote("[reloaded] " + game);
    // Sounds replayed are not heard; the music that plays at the end goes on as before.
    const bool muted = media_.muted();
    media_.setMuted(true);
    engine_.SetRandomSeed(seed_);
    log_.beginReplay();
    if (engine_.OpenScript(options_.game)) {
        Replay(engine_, log_, [this] {
            if (options_.fast) media_.advanceMusic(TtyHost::kTick);
        });
    }
    log_.endReplay();
    media_.setMuted(muted);
    host_.flush();
}

int TtySession::open() {
    host_.holdMessages();
    const bool opened = engine_.OpenScript(options_.game);
    const std::vector<std::string> messages = host_.releaseMessages();
    if (opened) {
        // Named once, on standard error: they are about the game's file, not its text.
        for (const std::string& problem : engine_.OpeningProblems())
            complain(visibleText(sjis::toUtf8(problem)));
        moveSavesIfNeeded();
        for (const std::string& message : messages)
            host_.showMessage(message);
        return 0;
    }
    const std::string game = options_.game.string();
    if (messages.empty()) complain("cannot open " + game);
    for (const std::string& message : messages)
        complain("cannot open " + game + ": " + visibleText(sjis::toUtf8(message)));
    return 1;
}

// A game whose folder cannot be written saves into the user's data folder instead.
void TtySession::moveSavesIfNeeded() {
    const std::filesystem::path data = session::dataFolderFromEnvironment();
    try {
        const std::optional<std::filesystem::path> folder = session::savesFolder(
            engine_.DataFolder(), data, session::gameStem(options_.game, engine_.ScriptKey()));
        if (!folder) return;
        engine_.SetSaveFolder(*folder);
        complain("the game's folder cannot be written; its saves go to " + folder->string());
    } catch (const std::filesystem::filesystem_error& error) {
        complain(std::string("the game's folder cannot be written, nor ") + error.path1().string() +
                 ": " + error.code().message());
    }
}

// The engine is in a *WAIT: deliver the next tick, or a command typed during the pause
// when the game left the command line enabled.
TtySession::Step TtySession::waitStep() {
    const bool typing = engine_.InputEnabled() && !input_.ended();
    if (options_.fast) {
        // Without a clock the next line counts as typed at once, as piped input would be.
        if (typing) return readCommand();
        // Simulated time: each tick is 100 ms of music.
        media_.advanceMusic(TtyHost::kTick);
        engine_.GameTimerTimer();
        return Step::Continue;
    }
    host_.flush();
    const auto now = TtyHost::Clock::now();
    // A timer left running since an earlier pause ticks on its own 100 ms beat, it
    // does not owe the ticks it skipped.
    if (host_.nextTick() + TtyHost::kTick <= now) host_.restartTicks(now);
    const auto due = host_.nextTick();
    if (due > now) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - now);
        if (typing) {
            if (input_.waitReady(left)) return readCommand();
        } else {
            // Music news (wakeFromAnyThread) or a changed file cuts the sleep short; the
            // tick is still owed.
            pollfd wake[2] = {{wake_.fd(), POLLIN, 0}, {watcher_ ? watcher_->fd() : -1, POLLIN, 0}};
            if (::poll(wake, 2, static_cast<int>(left.count())) > 0) {
                wake_.drain();
                if (watcher_) noteChanges();
                return Step::Continue;
            }
        }
        if (stop::requested()) return Step::Interrupted;
        if (TtyHost::Clock::now() < due) return Step::Continue;
    }
    host_.tickDelivered();
    engine_.GameTimerTimer();
    return Step::Continue;
}

TtySession::Step TtySession::readCommand() {
    host_.flush();
    std::string line;
    switch (input_.readLine(line)) {
        case LineInput::Status::Line:
            if (isUndoLine(line)) {
                undo();
                return Step::Continue;
            }
            if (watcher_) log_.recordCommand(sjis::fromUtf8(line));
            engine_.ProcessInput(sjis::fromUtf8(line));
            return Step::Continue;
        case LineInput::Status::End:
            return Step::InputEnded;
        case LineInput::Status::Woken:
            return Step::Continue;  // music news: shown by the next idle step
        case LineInput::Status::Interrupted:
            break;
    }
    return Step::Interrupted;
}

// The game's state goes back; what was written stays written, so the restored message area
// is not written again.
// Said first, as an echo is: what the undo brings about (the music's log) follows it.
void TtySession::undo() {
    const std::optional<std::string> typed = engine_.UndoCommand();
    host_.undone(typed);
    if (watcher_ && typed) log_.takeBackCommand();
    host_.setQuiet(true);
    try {
        engine_.Undo();
    } catch (...) {
        host_.setQuiet(false);
        throw;
    }
    host_.setQuiet(false);
}

int TtySession::run() {
    int status = play();
    // The music's file (wav:) is completed whatever the game did; a failure to is said,
    // but the game's own status stands.
    if (const std::string problem = media_.finishMusic(); !problem.empty())
        complain("music: " + problem);
    if (options_.pictureOut.empty()) return status;
    try {
        writePictureFile(engine_.Picture().shown(), options_.pictureOut);
    } catch (const PictureError& error) {
        complain(std::string("cannot write the picture area: ") + error.what());
        if (status == 0) status = 1;
    }
    return status;
}

int TtySession::play() {
    if (const int failed = open()) return failed;
    try {
        for (;;) {
            if (stop::requested()) throw stopAbort();
            if (watcher_) {
                noteChanges();
                if (reloadPending_) reload();
            }
            Step step = Step::Continue;
            if (engine_.HasWork()) {
                // A slice of the pass (also the rest of the pass that halted the game).
                // Its lines are let out at once: a long pass shows its progress.
                engine_.AppIdle();
                host_.flush();
            } else if (engine_.Halted()) {
                // Nothing runs any more; typed commands are still echoed while the
                // command line is enabled.
                if (!engine_.InputEnabled()) {
                    throw TtyAbort{kExitHalted, "the game has stopped and takes no more commands"};
                }
                step = readCommand();
            } else if (engine_.State() == RunState::Wait) {
                if (!host_.timerEnabled()) engine_.AppIdle();  // starts the game timer
                if (!host_.timerEnabled()) {
                    throw TtyAbort{1, "the game waits but never started its timer"};
                }
                step = waitStep();
            } else {
                step = readCommand();
            }
            // A hang-up ends the input as it arrives: the signal tells the end apart.
            if (step == Step::Interrupted || stop::requested()) throw stopAbort();
            if (step == Step::InputEnded) {
                // Finish what is under way (a pass, a *WAIT), then stop.
                const bool waiting = engine_.State() == RunState::Wait && !engine_.Halted();
                if (!engine_.HasWork() && !waiting) {
                    host_.flush();
                    return engine_.Halted() ? kExitHalted : 0;
                }
            }
        }
    } catch (const TtyAbort& abort) {
        host_.flush();
        complain(abort.reason);
        return abort.exitCode;
    }
}

}  // namespace vornal::tty

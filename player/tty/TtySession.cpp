#include "player/tty/TtySession.h"

#include <poll.h>
#include <signal.h>

#include <csignal>
#include <cstdio>

#include "common/SjisText.h"
#include "player/media/PictureFiles.h"
#include "player/tty/TtyAbort.h"

namespace vornal::tty {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void onInterrupt(int) {
    gInterrupted = 1;
}

}  // namespace

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocked read or sleep returns at once. A second Ctrl-C kills.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested() {
    return gInterrupted != 0;
}

TtySession::TtySession(const TtyOptions& options, std::FILE* out, int inFd, bool terminal)
    : options_(options),
      input_(inFd, interruptRequested, &wake_),
      host_(out, input_, TtyHostSettings{options.trace, terminal, options.fast}, &wake_),
      media_(MediaOptions{.mute = options.mute,
                          .fast = options.fast,
                          .output = options.output,
                          .musicVolume = options.musicVolume,
                          .soundVolume = options.soundVolume},
             [](const std::string& notice) {
                 std::fprintf(stderr, "vnplayer: %s\n", notice.c_str());
             }),
      engine_(host_, media_.services()) {
    media_.setProblemReporter([](const std::string& problem) {
        std::fprintf(stderr, "vnplayer: music: %s; the music is silent\n", problem.c_str());
    });
}

int TtySession::open() {
    host_.holdMessages();
    const bool opened = engine_.OpenScript(options_.game);
    const std::vector<std::string> messages = host_.releaseMessages();
    if (opened) {
        for (const std::string& message : messages)
            host_.showMessage(message);
        return 0;
    }
    const std::string game = options_.game.string();
    if (messages.empty()) {
        std::fprintf(stderr, "vnplayer: cannot open %s\n", game.c_str());
    }
    for (const std::string& message : messages) {
        std::fprintf(stderr, "vnplayer: cannot open %s: %s\n", game.c_str(),
                     sjis::toUtf8(message).c_str());
    }
    return 1;
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
            // Music news (wakeFromAnyThread) cuts the sleep short; the tick is still owed.
            pollfd wake{wake_.fd(), POLLIN, 0};
            if (::poll(&wake, 1, static_cast<int>(left.count())) > 0) {
                wake_.drain();
                return Step::Continue;
            }
        }
        if (interruptRequested()) return Step::Interrupted;
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

int TtySession::run() {
    const int status = play();
    if (options_.pictureOut.empty()) return status;
    try {
        writePictureFile(engine_.Picture().shown(), options_.pictureOut);
    } catch (const PictureError& error) {
        std::fprintf(stderr, "vnplayer: cannot write the picture area: %s\n", error.what());
        return status == 0 ? 1 : status;
    }
    return status;
}

int TtySession::play() {
    if (const int failed = open()) return failed;
    try {
        for (;;) {
            if (interruptRequested()) throw TtyAbort{130, "interrupted"};
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
                    throw TtyAbort{1, "the game has stopped and takes no more commands"};
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
            if (step == Step::InputEnded) {
                // Finish what is under way (a pass, a *WAIT), then stop.
                const bool waiting = engine_.State() == RunState::Wait && !engine_.Halted();
                if (!engine_.HasWork() && !waiting) {
                    host_.flush();
                    return 0;
                }
            } else if (step == Step::Interrupted) {
                throw TtyAbort{130, "interrupted"};
            }
        }
    } catch (const TtyAbort& abort) {
        host_.flush();
        std::fprintf(stderr, "vnplayer: %s\n", abort.reason.c_str());
        return abort.exitCode;
    }
}

}  // namespace vornal::tty

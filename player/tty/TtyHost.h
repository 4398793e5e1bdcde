// The engine's host in a terminal: the message area becomes standard output, questions
// and modal messages become marked lines, and their answers come from standard input.
// The line forms are documented in docs/vnplayer-tty.md; tests compare them byte for byte.
#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "player/author/InputLog.h"
#include "player/core/Host.h"
#include "player/tty/LineInput.h"
#include "player/tty/WakePipe.h"

namespace vornal::tty {

struct TtyHostSettings {
    bool trace = false;     // write [trace] lines for window and media events
    bool terminal = false;  // output is a terminal: *CLS clears the screen
    bool fast = false;      // sound effects take no time
};

class TtyHost final : public Host {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kTick{100};

    // `wake` is written to when the music timer's thread has news (wakeFromAnyThread).
    TtyHost(std::FILE* out, LineInput& in, TtyHostSettings settings, WakePipe* wake = nullptr);

    void linesAppended(std::span<const std::string> lines) override;
    void linesRemovedFromTop(std::size_t count) override;
    void messagesCleared() override;
    void enableInput(bool enabled) override;
    void clearAndFocusInput() override;
    void setCaption(std::string_view text) override;
    void setPictureAreaSize(int width, int height) override;
    void pictureChanged() override;
    void waitForSound(std::chrono::milliseconds length) override;
    void showMessage(std::string_view text) override;
    bool askYesNo(std::string_view question) override;
    std::string askInput(std::string_view prompt) override;
    void setGameTimerEnabled(bool enabled) override;
    void requestIdle() override;
    void wakeFromAnyThread() override;
    void traceEvent(std::string_view event, std::string_view detail) override;
    // "[halted] REASON" on standard error.
    void gameHalted(std::string_view reason) override;

    // While held, modal messages are kept instead of written: opening a game reports its
    // failure on standard error, not as part of the transcript.
    void holdMessages();
    // Ends holding; returns the held messages (Shift-JIS) and forgets them.
    std::vector<std::string> releaseMessages();

    // While quiet, the message area's changes and trace lines are not written (a game taken
    // back restores lines already on the screen); messages and questions still are.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    // "[undo] TEXT" for the command taken back, "[undo]" alone when there was none.
    void undone(const std::optional<std::string>& typed);

    bool timerEnabled() const { return nextTick_.has_value(); }
    // When the game timer's next tick is due; only while it is enabled.
    Clock::time_point nextTick() const { return *nextTick_; }
    void tickDelivered() { *nextTick_ += kTick; }
    void restartTicks(Clock::time_point due) { nextTick_ = due; }

    void flush();

    // Live reload: answers are recorded into `log`, and taken from it while it replays
    // (sounds are then not waited for either).
    void setInputLog(InputLog* log) { log_ = log; }
    // One line of the host's own, written as it is ("[reloaded] GAME").
    void writeNote(std::string_view utf8) { writeLine(utf8); }

private:
    void writeLine(std::string_view utf8);
    void writeGameText(std::string_view text, std::string_view tag = {});
    void writeTrace(std::string_view what);
    void writeAnswer(std::string_view answer);
    // Reads an answer and writes it back as an [answer] line. nullopt at end of input.
    std::optional<std::string> readAnswer();

    std::FILE* out_;
    LineInput& in_;
    TtyHostSettings settings_;
    WakePipe* wake_;
    std::optional<Clock::time_point> nextTick_;
    InputLog* log_ = nullptr;
    bool holding_ = false;
    bool quiet_ = false;
    std::vector<std::string> held_;
};

// A line of input that takes the last command back rather than reaching the game: "/undo",
// blanks around ignored. No command pattern can ask for a '/' (it separates alternatives).
bool isUndoLine(std::string_view utf8);

// True for the answers that mean Yes: y, yes (any letter case) and はい, blanks around ignored.
bool isYesAnswer(std::string_view utf8);

// "\\" when a line of game text would read as one of the host's own lines (it begins
// with one of their tags, or with a backslash); else empty.
std::string_view escapePrefix(std::string_view utf8);

// The line made safe for a terminal: control characters other than the tab are shown in
// caret notation (ESC as ^[), so a script cannot drive the terminal.
std::string visibleText(std::string_view utf8);

}  // namespace vornal::tty

#include "player/tty/TtyHost.h"

#include <poll.h>

#include <algorithm>
#include <utility>

#include "common/ConsoleLines.h"
#include "common/SjisText.h"
#include "player/core/ScriptText.h"
#include "player/tty/TtyAbort.h"

namespace vornal::tty {
namespace {

// Home the cursor and erase the screen; the scrollback is left alone.
constexpr std::string_view kClearScreen = "\x1b[H\x1b[2J";

}  // namespace

std::string_view escapePrefix(std::string_view utf8) {
    static constexpr std::string_view kTags[] = {"[message]",      "[yes/no]",  "[input]",
                                                 "[answer]",       "[trace]",   "[undo]",
                                                 "[end of input]", "[reloaded]"};
    if (utf8.starts_with('\\')) return "\\";
    for (const std::string_view tag : kTags) {
        if (utf8.starts_with(tag)) return "\\";
    }
    return {};
}

bool isUndoLine(std::string_view utf8) {
    return TrimBlanks(utf8) == "/undo";
}

bool isYesAnswer(std::string_view utf8) {
    return ParseYesNo(TrimBlanks(utf8)).value_or(false);
}

std::string visibleText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7f) {
            out.push_back('^');
            out.push_back(static_cast<char>(byte ^ 0x40));
        } else {
            out.push_back(c);
        }
    }
    return out;
}

TtyHost::TtyHost(std::FILE* out, LineInput& in, TtyHostSettings settings, WakePipe* wake)
    : out_(out), in_(in), settings_(settings), wake_(wake) {}

void TtyHost::writeLine(std::string_view utf8) {
    // Whole, under the lock the music's log takes on its thread (log:-).
    console::line(out_, visibleText(utf8));
}

void TtyHost::writeGameText(std::string_view text, std::string_view tag) {
    ForEachShownLine(sjis::toUtf8(text), [&](std::string_view piece) {
        // Game text that looks like one of our own lines is set apart by a backslash.
        const std::string_view prefix = tag.empty() ? escapePrefix(piece) : tag;
        writeLine(std::string(prefix) + std::string(piece));
    });
}

void TtyHost::writeTrace(std::string_view what) {
    if (settings_.trace && !quiet_) writeLine("[trace] " + std::string(what));
}

void TtyHost::linesAppended(std::span<const std::string> lines) {
    if (quiet_) return;
    for (const std::string& line : lines)
        writeGameText(line);
}

// Lines already written stay on the screen; the trim only bounds the engine's memory.
void TtyHost::linesRemovedFromTop(std::size_t) {}

void TtyHost::messagesCleared() {
    if (quiet_) return;
    if (settings_.terminal) console::raw(out_, kClearScreen);
    writeTrace("cls");
}

// The terminal has no command line to enable: commands are read whenever the engine
// waits for one (see TtySession).
void TtyHost::enableInput(bool) {}
void TtyHost::clearAndFocusInput() {}

void TtyHost::setCaption(std::string_view text) {
    traceEvent("caption", text);
}

void TtyHost::setPictureAreaSize(int width, int height) {
    writeTrace("screen " + std::to_string(width) + " " + std::to_string(height));
}

// Nothing to show in a terminal; --picture-out writes the area when the player exits.
void TtyHost::pictureChanged() {}

void TtyHost::waitForSound(std::chrono::milliseconds length) {
    if (settings_.fast || (log_ && log_->replaying())) return;
    flush();
    const auto end = Clock::now() + length;
    for (auto now = Clock::now(); now < end; now = Clock::now()) {
        // A second at most, whatever the sound claims; a signal cuts the sleep short.
        const auto left = std::min(std::chrono::ceil<std::chrono::milliseconds>(end - now),
                                   std::chrono::milliseconds(1000));
        ::poll(nullptr, 0, static_cast<int>(left.count()));
        if (in_.interruptRequested()) throw stopAbort();
    }
}

void TtyHost::showMessage(std::string_view text) {
    if (holding_) {
        held_.emplace_back(text);
        return;
    }
    writeGameText(text, "[message] ");
}

void TtyHost::writeAnswer(std::string_view answer) {
    writeLine(answer.empty() ? "[answer]" : "[answer] " + sjis::toUtf8(answer));
}

std::optional<std::string> TtyHost::readAnswer() {
    if (log_ && log_->replaying()) {
        if (std::optional<std::string> answer = log_->nextAnswer()) {
            writeAnswer(*answer);
            return answer;
        }
        // Asked where it was not before: the player answers from here on.
    }
    flush();
    std::string line;
    LineInput::Status status;
    // News from the music timer waits until the question is answered.
    while ((status = in_.readLine(line)) == LineInput::Status::Woken) {
    }
    switch (status) {
        case LineInput::Status::Line: {
            std::string answer = sjis::fromUtf8(line);
            if (log_) log_->recordAnswer(answer);
            writeAnswer(answer);
            return answer;
        }
        case LineInput::Status::End:
            return std::nullopt;
        case LineInput::Status::Interrupted:
        case LineInput::Status::Woken:
            break;
    }
    throw stopAbort();
}

bool TtyHost::askYesNo(std::string_view question) {
    writeGameText(question, "[yes/no] ");
    const std::optional<std::string> answer = readAnswer();
    if (!answer) {
        writeLine("[end of input] no");
        return false;
    }
    return isYesAnswer(sjis::toUtf8(*answer));
}

std::string TtyHost::askInput(std::string_view prompt) {
    writeGameText(prompt, "[input] ");
    std::optional<std::string> answer = readAnswer();
    if (!answer) {
        // The game refuses an empty answer and would ask forever.
        writeLine("[end of input]");
        throw TtyAbort{1, "input ended while the game was asking for input"};
    }
    return std::move(*answer);
}

void TtyHost::setGameTimerEnabled(bool enabled) {
    if (!enabled) {
        nextTick_.reset();
    } else if (!nextTick_) {
        nextTick_ = Clock::now() + kTick;
    }
}

// The session asks the engine for work after every step; nothing to schedule.
void TtyHost::requestIdle() {}

// The session's wait for input or for the next tick ends, and it shows the news at once.
void TtyHost::wakeFromAnyThread() {
    if (wake_) wake_->notify();
}

void TtyHost::traceEvent(std::string_view event, std::string_view detail) {
    std::string what(event);
    if (!detail.empty()) what += " " + sjis::toUtf8(detail);
    writeTrace(what);
}

void TtyHost::gameHalted(std::string_view reason) {
    // Not part of the transcript: the game's text stays what it was.
    flush();
    console::line(stderr, "[halted] " + visibleText(sjis::toUtf8(reason)));
}

void TtyHost::undone(const std::optional<std::string>& typed) {
    writeLine(typed ? "[undo] " + sjis::toUtf8(*typed) : std::string("[undo]"));
}

void TtyHost::flush() {
    console::flush(out_);
}

void TtyHost::holdMessages() {
    holding_ = true;
}

std::vector<std::string> TtyHost::releaseMessages() {
    holding_ = false;
    return std::exchange(held_, {});
}

}  // namespace vornal::tty

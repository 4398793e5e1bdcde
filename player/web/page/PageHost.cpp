#include "player/web/page/PageHost.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>

#include "common/SjisText.h"
#include "player/web/page/PageBridge.h"

namespace vornal::page {

namespace {

std::string utf8(std::string_view sjis) {
    return sjis::toUtf8(sjis);
}

}  // namespace

void PageHost::linesAppended(std::span<const std::string> lines) {
    for (const std::string& line : lines) {
        const std::string text = utf8(line);
        vornal_js_line(text.data(), static_cast<int>(text.size()));
    }
}

void PageHost::linesRemovedFromTop(std::size_t count) {
    vornal_js_lines_removed(static_cast<int>(std::min<std::size_t>(count, INT_MAX)));
}

void PageHost::messagesCleared() {
    vornal_js_lines_cleared();
}

void PageHost::enableInput(bool enabled) {
    vornal_js_enable_input(enabled ? 1 : 0);
}

void PageHost::clearAndFocusInput() {
    vornal_js_clear_input();
}

void PageHost::setCaption(std::string_view text) {
    vornal_js_caption(utf8(text).c_str());
}

void PageHost::setPictureAreaSize(int width, int height) {
    vornal_js_picture_area(width, height);
}

void PageHost::pictureChanged() {
    if (!engine_) return;
    const Bitmap& bitmap = engine_->Picture().bitmap();
    vornal_js_picture(bitmap.pixels.data(), bitmap.width, bitmap.height);
}

void PageHost::showMessage(std::string_view text) {
    vornal_js_show_message(utf8(text).c_str(), 0);
}

void PageHost::showMidiError(std::string_view text) {
    vornal_js_show_message(utf8(text).c_str(), 1);
}

bool PageHost::askYesNo(std::string_view question) {
    return vornal_js_ask_yes_no(utf8(question).c_str()) != 0;
}

std::string PageHost::askInput(std::string_view prompt) {
    const std::unique_ptr<char, decltype(&std::free)> answer(
        vornal_js_ask_input(utf8(prompt).c_str()), &std::free);
    return answer ? sjis::fromUtf8(answer.get()) : std::string();
}

void PageHost::setGameTimerEnabled(bool enabled) {
    vornal_js_game_timer(enabled ? 1 : 0);
}

void PageHost::requestIdle() {
    vornal_js_request_idle();
}

void PageHost::waitForSound(std::chrono::milliseconds length) {
    vornal_js_wait_sound(
        static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(length.count(), 0, INT_MAX)));
}

void PageHost::gameHalted(std::string_view reason) {
    vornal_js_halted(utf8(reason).c_str());
}

void PageHost::traceEvent(std::string_view event, std::string_view detail) {
    vornal_js_trace(std::string(event).c_str(), utf8(detail).c_str());
}

}  // namespace vornal::page

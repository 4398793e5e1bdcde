#include "player/web/page/PageMusic.h"

#include <cmath>

#include "player/web/page/PageBridge.h"

namespace vornal::page {

void PageMusicOutput::shortMessage(std::uint32_t message, SendTime at) {
    vornal_js_music_short(message, at.dueMicros);
}

void PageMusicOutput::longMessage(std::span<const Byte> message, SendTime at) {
    vornal_js_music_long(message.data(), static_cast<int>(message.size()), at.dueMicros);
}

void PageMusicOutput::reset(std::int64_t stepMicros) {
    vornal_js_music_reset(static_cast<double>(stepMicros));
}

void PageMusicOutput::setGain(double gain) {
    vornal_js_music_gain(gain);
}

std::int64_t MusicClockMicros() {
    return std::llround(vornal_js_music_now());
}

}  // namespace vornal::page

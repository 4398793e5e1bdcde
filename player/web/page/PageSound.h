// Sound effects in a page: the WAV file is decoded and converted by SDL as on the desktop
// (player/media/WavSound.h), to stereo floats at the page's audio rate, and handed to Web
// Audio whole. Until the player's first gesture starts the page's audio, and while muted,
// sounds are silent but keep their length, so the game keeps its pace.
#pragma once

#include <memory>
#include <vector>

#include "player/core/Media.h"
#include "player/media/WavSound.h"

namespace vornal::page {

class PageSound final : public SoundOutput {
public:
    // `sampleRate`: the page's audio rate; 0 when the page has no audio.
    explicit PageSound(int sampleRate) : sampleRate_(sampleRate) {}

    Started start(std::span<const Byte> wav) override;
    void stop() override;
    void setMuted(bool muted);

    // The samples a decoded sound becomes at `sampleRate`, stereo, interleaved.
    static std::vector<float> convert(std::shared_ptr<const WavSound> sound, int sampleRate);

private:
    int sampleRate_;
    bool muted_ = false;
};

}  // namespace vornal::page

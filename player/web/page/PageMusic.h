// The music's way out of a page: each message goes to the synthesizer in the page's
// AudioWorklet (site/music-worklet.js) stamped with the music clock's time it became due;
// the page turns that into the audio frame a constant latency later. The music clock is the
// page's audio clock, so the music stands still until the player's first gesture starts the
// audio, and keeps time in a tab in the background.
#pragma once

#include "player/music/MidiOutput.h"

namespace vornal::page {

class PageMusicOutput final : public MidiOutput {
public:
    void open(std::int64_t) override {}
    void shortMessage(std::uint32_t message, SendTime at) override;
    void longMessage(std::span<const Byte> message, SendTime at) override;
    void reset(std::int64_t stepMicros) override;
    void close(std::int64_t) override {}
    void setGain(double gain) override;
};

// Microseconds on the page's music clock.
std::int64_t MusicClockMicros();

}  // namespace vornal::page

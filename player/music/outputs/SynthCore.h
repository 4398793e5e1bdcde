// The built-in General MIDI synthesizer (FluidSynth with a SoundFont) and a queue of
// messages stamped with the sample at which they are to sound. Whoever renders (an audio
// driver's thread, or the WAV writer) applies each message at its sample, or rather at the
// edge of FluidSynth's internal block nearest to it, so a message sounds within half a
// block (32 samples, 0.7 ms) of its stamp.
//
// The synthesizer plays 26 dB louder than FluidSynth's default gain, which leaves music some
// 30 dB below the sound effects; a limiter keeps a dense song from clipping.
#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "player/music/MidiOutput.h"

namespace vornal {

inline constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

class SynthCore {
public:
    static constexpr double kSampleRate = 44100;
    // FluidSynth's own gain: 20 times its default of 0.2.
    static constexpr double kSynthGain = 4.0;
    // The highest level the limiter lets through: -1 dBFS.
    static constexpr float kCeiling = 0.891f;

    // Loads the SoundFont; throws MidiOutputError saying what is missing.
    explicit SynthCore(const std::string& soundFont);
    ~SynthCore();
    SynthCore(const SynthCore&) = delete;
    SynthCore& operator=(const SynthCore&) = delete;

    // From any thread.
    void scheduleShort(std::int64_t frame, std::uint32_t message);
    void scheduleLong(std::int64_t frame, std::span<const Byte> message);
    // Every note and the sustain pedal off on all 16 channels.
    void scheduleReset(std::int64_t frame);
    // Frames rendered so far: the synthesizer's sample clock.
    std::int64_t renderedFrames() const { return rendered_.load(); }
    // The messages applied so far, how far from its stamp one was at worst, and how many
    // came after their sample had been rendered (they are applied at once, late).
    struct Accuracy {
        std::int64_t messages = 0;
        std::int64_t worstErrorFrames = 0;
        std::int64_t lateMessages = 0;
    };
    Accuracy accuracy() const { return {applied_.load(), worstError_.load(), late_.load()}; }

    // Adds `frames` frames of audio to the buffers, applying the messages due meanwhile, and
    // limits the sum to kCeiling. One thread at a time.
    void render(float* left, float* right, int frames);
    // The level, from 0 (silent) to 1 (as made); from any thread, taken at the next render.
    void setGain(double gain) { gain_ = gain; }

    fluid_settings_t* settings() const { return settings_.get(); }

private:
    struct Event {
        std::int64_t frame = 0;
        enum class Kind : std::uint8_t { Short, Long, Reset } kind = Kind::Short;
        std::uint32_t message = 0;
        std::vector<Byte> bytes;
    };
    void schedule(Event event);
    void apply(const Event& event);
    void limit(float* left, float* right, int frames);

    struct SettingsDeleter {
        void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
    };
    struct SynthDeleter {
        void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
    };
    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings_;
    std::unique_ptr<fluid_synth_t, SynthDeleter> synth_;
    int block_ = 64;
    std::mutex mutex_;
    std::deque<Event> queue_;  // by frame; equal frames in the order sent
    std::atomic<std::int64_t> rendered_{0};
    std::atomic<double> gain_{1};
    double appliedGain_ = 1;  // the render thread's
    float limiterGain_ = 1;   // the render thread's
    std::atomic<std::int64_t> applied_{0};
    std::atomic<std::int64_t> worstError_{0};
    std::atomic<std::int64_t> late_{0};
};

// FluidSynth's own error messages, captured instead of printed: the last one, or "".
std::string LastFluidError();

}  // namespace vornal

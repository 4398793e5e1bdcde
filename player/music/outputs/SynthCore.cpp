#include "player/music/outputs/SynthCore.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <utility>

namespace vornal {

namespace {

std::mutex gFluidErrorMutex;
std::string gFluidError;

extern "C" void CaptureFluidError(int, const char* message, void*) {
    std::lock_guard lock(gFluidErrorMutex);
    gFluidError = message ? message : "";
    while (!gFluidError.empty() && (gFluidError.back() == '\n' || gFluidError.back() == ' '))
        gFluidError.pop_back();
}

extern "C" void DropFluidMessage(int, const char*, void*) {}

// FluidSynth prints to standard error by default; the player says one clear thing instead.
void QuietFluidSynth() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_PANIC, CaptureFluidError, nullptr);
        fluid_set_log_function(FLUID_ERR, CaptureFluidError, nullptr);
        fluid_set_log_function(FLUID_WARN, DropFluidMessage, nullptr);
        fluid_set_log_function(FLUID_INFO, DropFluidMessage, nullptr);
        fluid_set_log_function(FLUID_DBG, DropFluidMessage, nullptr);
    });
}

}  // namespace

std::string LastFluidError() {
    std::lock_guard lock(gFluidErrorMutex);
    return gFluidError;
}

SynthCore::SynthCore(const std::string& soundFont) {
    QuietFluidSynth();
    std::error_code error;
    if (!std::filesystem::is_regular_file(soundFont, error))
        throw MidiOutputError("no SoundFont at " + soundFont);
    settings_.reset(new_fluid_settings());
    if (!settings_) throw MidiOutputError("the synthesizer could not be set up");
    fluid_settings_setnum(settings_.get(), "synth.sample-rate", kSampleRate);
    // As many voices as the General MIDI synthesizers of the games' time had: a dense song's
    // release tails then take the oldest voices instead of piling up.
    fluid_settings_setint(settings_.get(), "synth.polyphony", 64);
    fluid_settings_setnum(settings_.get(), "synth.gain", kSynthGain);
    synth_.reset(new_fluid_synth(settings_.get()));
    if (!synth_) throw MidiOutputError("the synthesizer could not be started: " + LastFluidError());
    if (fluid_synth_sfload(synth_.get(), soundFont.c_str(), 1) == FLUID_FAILED)
        throw MidiOutputError("the SoundFont " + soundFont + " could not be read");
    block_ = std::max(1, fluid_synth_get_internal_bufsize(synth_.get()));
}

SynthCore::~SynthCore() = default;

void SynthCore::schedule(Event event) {
    // Messages wait a few tens of milliseconds at most; a queue this long means that nothing
    // renders any more (the sound server went away), and it must not grow without end.
    constexpr std::size_t kMaxQueued = 1 << 16;
    std::lock_guard lock(mutex_);
    if (queue_.size() >= kMaxQueued) return;
    const auto later = std::upper_bound(
        queue_.begin(), queue_.end(), event.frame,
        [](std::int64_t frame, const Event& queued) { return frame < queued.frame; });
    queue_.insert(later, std::move(event));
}

void SynthCore::scheduleShort(std::int64_t frame, std::uint32_t message) {
    schedule(Event{frame, Event::Kind::Short, message, {}});
}

void SynthCore::scheduleLong(std::int64_t frame, std::span<const Byte> message) {
    schedule(Event{frame, Event::Kind::Long, 0, std::vector<Byte>(message.begin(), message.end())});
}

void SynthCore::scheduleReset(std::int64_t frame) {
    schedule(Event{frame, Event::Kind::Reset, 0, {}});
}

void SynthCore::apply(const Event& event) {
    fluid_synth_t* synth = synth_.get();
    switch (event.kind) {
        case Event::Kind::Short: {
            const int status = static_cast<int>(event.message & 0xFF);
            const int channel = status & 0x0F;
            const int data1 = static_cast<int>((event.message >> 8) & 0x7F);
            const int data2 = static_cast<int>((event.message >> 16) & 0x7F);
            switch (status >> 4) {
                case 0x8:
                    fluid_synth_noteoff(synth, channel, data1);
                    break;
                case 0x9:
                    fluid_synth_noteon(synth, channel, data1, data2);
                    break;
                case 0xA:
                    fluid_synth_key_pressure(synth, channel, data1, data2);
                    break;
                case 0xB:
                    fluid_synth_cc(synth, channel, data1, data2);
                    break;
                case 0xC:
                    fluid_synth_program_change(synth, channel, data1);
                    break;
                case 0xD:
                    fluid_synth_channel_pressure(synth, channel, data1);
                    break;
                case 0xE:
                    fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
                    break;
                default:  // no status byte: nothing a synthesizer can play
                    break;
            }
            break;
        }
        case Event::Kind::Long: {
            // FluidSynth takes the bytes between F0 and F7.
            std::span<const Byte> body(event.bytes);
            if (!body.empty()) body = body.subspan(1);
            if (!body.empty() && body.back() == 0xF7) body = body.first(body.size() - 1);
            if (!body.empty())
                fluid_synth_sysex(synth, reinterpret_cast<const char*>(body.data()),
                                  static_cast<int>(body.size()), nullptr, nullptr, nullptr, 0);
            break;
        }
        case Event::Kind::Reset:
            for (int channel = 0; channel < 16; ++channel)
                fluid_synth_cc(synth, channel, 64, 0);
            fluid_synth_all_notes_off(synth, -1);
            break;
    }
}

void SynthCore::render(float* left, float* right, int frames) {
    if (const double gain = gain_.load(); gain != appliedGain_) {
        appliedGain_ = gain;
        // FluidSynth changes the level of the voices that sound too, smoothly.
        fluid_synth_set_gain(synth_.get(), static_cast<float>(kSynthGain * gain));
    }
    const std::int64_t start = rendered_.load();
    int done = 0;
    while (done < frames) {
        const std::int64_t position = start + done;
        std::int64_t next = position + (frames - done);
        {
            std::unique_lock lock(mutex_);
            if (!queue_.empty()) {
                // The internal block edge nearest to the stamp.
                const std::int64_t stamp = std::max<std::int64_t>(queue_.front().frame, 0);
                const std::int64_t edge = (stamp + block_ / 2) / block_ * block_;
                if (edge <= position) {
                    Event event = std::move(queue_.front());
                    queue_.pop_front();
                    lock.unlock();
                    // FluidSynth takes it at its next block edge.
                    const std::int64_t applied = (position + block_ - 1) / block_ * block_;
                    applied_.fetch_add(1);
                    if (applied > edge) late_.fetch_add(1);
                    const std::int64_t error = std::abs(applied - stamp);
                    if (error > worstError_.load()) worstError_.store(error);
                    apply(event);
                    continue;
                }
                next = std::min(next, edge);
            }
        }
        const int count = static_cast<int>(next - position);
        float* dry[2] = {left + done, right + done};
        // No separate effect buffers: reverb and chorus are mixed into the dry ones.
        float* fx[4] = {left + done, right + done, left + done, right + done};
        fluid_synth_process(synth_.get(), count, 4, fx, 2, dry);
        done += count;
    }
    limit(left, right, frames);
    rendered_.store(start + frames);
}

void SynthCore::limit(float* left, float* right, int frames) {
    // The gain falls at once to what the loudest sample needs and comes back over about
    // 100 ms, so a loud chord is turned down as a whole instead of being clipped.
    constexpr float kRelease = static_cast<float>(1.0 / (0.1 * kSampleRate));
    float gain = limiterGain_;
    for (int i = 0; i < frames; ++i) {
        const float peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
        gain = std::min(gain + (1 - gain) * kRelease, 1.0f);
        if (peak * gain > kCeiling) gain = kCeiling / peak;
        left[i] *= gain;
        right[i] *= gain;
    }
    limiterGain_ = gain;
}

}  // namespace vornal

#include "player/music/Music.h"

#include <exception>
#include <utility>

namespace vornal {

Music::Music() : Music(std::make_unique<NullOutput>(), std::make_unique<SimulatedTimebase>()) {}

Music::Music(std::unique_ptr<MidiOutput> output, std::unique_ptr<Timebase> timebase)
    : timebase_(std::move(timebase)),
      output_(std::move(output)),
      VNMidiPlay(*timebase_, output_),
      MMTimer1(*timebase_) {
    std::lock_guard lock(mutex_);
    // Runs only while a song is loaded: an idle player is not woken 100 times a second.
    MMTimer1.SetEnabled(false);
    MMTimer1.SetInterval(10);
    MMTimer1.SetResolution(1);
    MMTimer1.SetOnTimer([this](TMMTimer&) { MMTimer1Timer(); });
}

Music::~Music() {
    std::lock_guard lock(mutex_);
    MMTimer1.SetEnabled(false);
}

void Music::MMTimer1Timer() {
    std::lock_guard lock(mutex_);
    // A call that began before the timer was disabled finds the music changed under it.
    if (!MMTimer1.CallIsCurrent()) return;
    try {
        if (VNMidiPlay.Loaded()) VNMidiPlay.Tick();
    } catch (const std::exception& error) {
        // The device would not open (or an output failed): said once, and the song stops.
        // Nothing may escape the timer's thread.
        VNMidiPlay.Stop();
        if (errorSink_) errorSink_(error.what());
    }
    // An output that broke off (a full disk) plays on silently once it has said why.
    if (std::string failure = output_.takeFailure(); !failure.empty() && errorSink_)
        errorSink_(std::move(failure));
    if (!VNMidiPlay.Playing() && !state_.loop) {
        StopBgmLocked();
    } else if (!VNMidiPlay.Loaded()) {
        // A repeating song that stopped on an error stays named, but nothing is left to
        // step until the next *BGM: an idle player is not woken.
        MMTimer1.SetEnabled(false);
    }
}

void Music::SetLoop(bool loop) {
    std::lock_guard lock(mutex_);
    state_.loop = loop;
}

std::vector<std::string> Music::PlayBgm(std::string_view name, const Fetch& fetch) {
    {
        std::lock_guard lock(mutex_);
        if (state_.loaded && state_.file == name) return {};
        if (state_.loaded) VNMidiPlay.Stop();
        MMTimer1.SetEnabled(false);
        state_.file = std::string(name);
    }
    std::optional<std::vector<Byte>> song = fetch();
    if (!song) return {};
    std::vector<std::string> errors;
    std::string silence;
    std::function<void(const std::string&)> report;
    {
        std::lock_guard lock(mutex_);
        errors = VNMidiPlay.LoadFromStream(std::move(*song));
        state_.loaded = true;
        // Only with a song to step: a file refused at its header leaves none (unless an
        // earlier one stays loaded).
        MMTimer1.SetEnabled(VNMidiPlay.Loaded());
        silence = std::exchange(silentReason_, {});
        report = reportSilence_;
    }
    if (!silence.empty() && report) report(silence);
    return errors;
}

void Music::StopBgmLocked() {
    MMTimer1.SetEnabled(false);
    VNMidiPlay.Stop();
    state_.loaded = false;
    state_.loop = false;
    state_.file.clear();
}

void Music::StopBgm() {
    std::lock_guard lock(mutex_);
    StopBgmLocked();
}

void Music::Finish() {
    std::lock_guard lock(mutex_);
    StopBgmLocked();
    output_.finish();
}

Music::State Music::GetState() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void Music::RestoreFlags(bool loaded, bool loop) {
    std::lock_guard lock(mutex_);
    state_.loaded = loaded;
    state_.loop = loop;
}

void Music::SetErrorSink(std::function<void(std::string)> sink) {
    std::lock_guard lock(mutex_);
    errorSink_ = std::move(sink);
}

bool Music::SongLoaded() const {
    std::lock_guard lock(mutex_);
    return VNMidiPlay.Loaded();
}

void Music::SetOutput(std::unique_ptr<MidiOutput> output) {
    std::unique_ptr<MidiOutput> old;
    {
        std::lock_guard lock(mutex_);
        VNMidiPlay.Restart();
        old = output_.replace(std::move(output));
    }
    // Freed without the lock: a synthesizer takes a while to shut down.
}

void Music::SetMuted(bool muted) {
    std::lock_guard lock(mutex_);
    output_.setMuted(muted, VNMidiPlay.DeviceOpen(), timebase_->nowMicros());
}

void Music::SetGain(double gain) {
    std::lock_guard lock(mutex_);
    output_.setGain(gain);
}

void Music::SetSilentReason(std::string reason, std::function<void(const std::string&)> report) {
    std::lock_guard lock(mutex_);
    silentReason_ = std::move(reason);
    reportSilence_ = std::move(report);
}

bool Music::Muted() const {
    std::lock_guard lock(mutex_);
    return output_.muted();
}

}  // namespace vornal

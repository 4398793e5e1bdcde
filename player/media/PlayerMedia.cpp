#include "player/media/PlayerMedia.h"

#include <algorithm>
#include <utility>

#include "player/media/PictureFiles.h"
#include "player/media/SdlSound.h"
#include "player/music/outputs/OutputRegistry.h"

namespace vornal {

PlayerMedia::PlayerMedia(const MediaOptions& options,
                         std::function<void(const std::string&)> notice)
    : options_(options),
      pictures_(std::make_unique<PictureFiles>()),
      sound_(std::make_unique<SdlSound>(
          SdlSound::Settings{.muted = options.mute || options.fast, .notice = std::move(notice)})) {
    // --fast hears nothing unless an output is named: the terminal does not wait for the
    // music, and a synthesizer driven by simulated time would make no sense.
    MadeOutput output = options.fast && options.output.empty()
                            ? MadeOutput{std::make_unique<NullOutput>(), {}}
                            : MakeOutput(options.output);
    musicProblem_ = std::move(output.problem);
    std::unique_ptr<Timebase> timebase;
    if (options.fast) {
        auto simulated = std::make_unique<SimulatedTimebase>();
        simulated_ = simulated.get();
        timebase = std::move(simulated);
    } else {
        timebase = MakeRealTimebase();
    }
    music_ = std::make_unique<Music>(std::move(output.output), std::move(timebase));
    setMuted(options.mute);
    setMusicVolume(options.musicVolume);
    setSoundVolume(options.soundVolume);
}

PlayerMedia::~PlayerMedia() = default;

MediaServices PlayerMedia::services() {
    return MediaServices{pictures_.get(), sound_.get(), music_.get()};
}

void PlayerMedia::setProblemReporter(std::function<void(const std::string&)> report) {
    music_->SetSilentReason(musicProblem_, std::move(report));
}

const std::string& PlayerMedia::setMusicOutput(std::string_view name) {
    MadeOutput output = MakeOutput(name);
    options_.output = std::string(name);
    musicProblem_ = std::move(output.problem);
    music_->SetSilentReason({}, {});
    music_->SetOutput(std::move(output.output));
    return musicProblem_;
}

void PlayerMedia::setMuted(bool muted) {
    options_.mute = muted;
    music_->SetMuted(muted);
    // --fast plays nothing: the terminal does not wait for sounds either.
    sound_->setMuted(muted || options_.fast);
}

std::string PlayerMedia::finishMusic() {
    try {
        music_->Finish();
    } catch (const MidiOutputError& error) {
        return error.what();
    }
    return {};
}

void PlayerMedia::setMusicVolume(int volume) {
    options_.musicVolume = std::clamp(volume, 0, kFullVolume);
    music_->SetGain(VolumeGain(options_.musicVolume));
}

void PlayerMedia::setSoundVolume(int volume) {
    options_.soundVolume = std::clamp(volume, 0, kFullVolume);
    sound_->setGain(VolumeGain(options_.soundVolume));
}

void PlayerMedia::advanceMusic(std::chrono::milliseconds time) {
    if (simulated_)
        simulated_->advanceBy(std::chrono::duration_cast<std::chrono::microseconds>(time).count());
}

}  // namespace vornal

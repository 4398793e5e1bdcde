// The output the sequencer talks to, in front of the chosen one: it lets the menu switch
// outputs, mute the music and set its level while a song plays. Muted, it passes on everything but
// the sounding note-ons, so instruments and controllers stay right and unmuting mid-song sounds
// from the next note on. Not thread-safe: used under the music's lock.
#pragma once

#include <memory>
#include <utility>

#include "player/music/MidiOutput.h"

namespace vornal {

class MutingOutput final : public MidiOutput {
public:
    explicit MutingOutput(std::unique_ptr<MidiOutput> target) : target_(std::move(target)) {}

    // Returns the output replaced; the caller closes the device first. The new one plays at
    // the level set.
    std::unique_ptr<MidiOutput> replace(std::unique_ptr<MidiOutput> target) {
        target->setGain(gain_);
        return std::exchange(target_, std::move(target));
    }
    // Muting silences what sounds now (a reset) when the device is open.
    void setMuted(bool muted, bool deviceOpen, std::int64_t nowMicros) {
        if (muted && !muted_ && deviceOpen) target_->reset(nowMicros);
        muted_ = muted;
    }
    bool muted() const { return muted_; }

    void open(std::int64_t stepMicros) override { target_->open(stepMicros); }
    void shortMessage(std::uint32_t message, SendTime at) override {
        const bool noteOn = (message & 0xF0) == 0x90 && ((message >> 16) & 0x7F) != 0;
        if (!(muted_ && noteOn)) target_->shortMessage(message, at);
    }
    void longMessage(std::span<const Byte> message, SendTime at) override {
        target_->longMessage(message, at);
    }
    void reset(std::int64_t stepMicros) override { target_->reset(stepMicros); }
    void close(std::int64_t stepMicros) override { target_->close(stepMicros); }
    std::string takeFailure() override { return target_->takeFailure(); }
    void finish() override { target_->finish(); }
    void setGain(double gain) override {
        gain_ = gain;
        target_->setGain(gain);
    }

private:
    std::unique_ptr<MidiOutput> target_;
    bool muted_ = false;
    double gain_ = 1;
};

}  // namespace vornal

// Sound effects, synthesized: a creaking door, the click of a safe's dial, a clock's chime.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "DemoAssets.h"

namespace demo {

namespace {

constexpr int kRate = 22050;
constexpr double kTwoPi = 2 * std::numbers::pi;

// A two-pole resonator: rings at `frequency` for about `decay` seconds when struck.
class Resonator {
public:
    Resonator(double frequency, double decay)
        : r_(std::exp(-1.0 / (decay * kRate))), c_(2 * r_ * std::cos(kTwoPi * frequency / kRate)) {}
    double operator()(double in) {
        const double out = in + c_ * y1_ - r_ * r_ * y2_;
        y2_ = y1_;
        y1_ = out;
        return out;
    }

private:
    double r_, c_, y1_ = 0, y2_ = 0;
};

// 16-bit mono PCM, scaled so that the loudest sample reaches `peak`.
std::vector<std::uint8_t> wav(std::vector<double> samples, double peak) {
    double loudest = 1e-9;
    for (double s : samples)
        loudest = std::max(loudest, std::abs(s));
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out(44 + dataBytes);
    std::size_t at = 0;
    const auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out[at++] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    const auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i)
            out[at++] = static_cast<std::uint8_t>(t[i]);
    };
    tag("RIFF");
    put(36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(kRate, 4);
    put(kRate * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(dataBytes, 4);
    for (double s : samples) {
        const auto v = static_cast<std::int16_t>(std::lround(s / loudest * peak * 32767));
        put(static_cast<std::uint16_t>(v), 2);
    }
    return out;
}

std::vector<double> door() {
    // Stick-slip: a train of pulses whose rate rises and falls rings the wood, then the
    // door settles with a low thump.
    const int length = kRate * 9 / 10;
    std::vector<double> s(length, 0.0);
    Resonator wood(520, 0.012), body(1150, 0.006);
    Noise noise(7);
    double phase = 0;
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double rate = 38 + 55 * std::sin(std::numbers::pi * std::min(t / 0.7, 1.0));
        phase += rate / kRate;
        double pulse = 0;
        if (phase >= 1 && t < 0.7) {
            phase -= 1;
            pulse = 1 + 0.3 * noise.uniform();
        }
        s[i] = wood(pulse) + 0.5 * body(pulse) + 0.02 * noise.uniform() * (t < 0.7);
        if (t > 0.68) {
            const double u = t - 0.68;
            s[i] += 0.9 * std::sin(kTwoPi * 68 * u) * std::exp(-u * 18);
        }
    }
    return s;
}

std::vector<double> click() {
    // Two clicks of the dial and the bolt falling back.
    const int length = kRate * 3 / 10;
    std::vector<double> s(length, 0.0);
    Noise noise(11);
    const struct {
        double at, frequency, decay, level;
    } strikes[] = {{0.00, 2600, 0.010, 1.0}, {0.09, 2300, 0.010, 0.8}, {0.17, 900, 0.030, 1.2}};
    for (const auto& strike : strikes) {
        Resonator ring(strike.frequency, strike.decay);
        const int start = static_cast<int>(strike.at * kRate);
        for (int i = start; i < length; ++i) {
            const double in = i - start < 60 ? strike.level * noise.uniform() : 0.0;
            s[i] += ring(in);
        }
    }
    return s;
}

std::vector<double> chime() {
    // A bell: inharmonic partials, the higher ones dying first.
    const int length = kRate * 18 / 10;
    std::vector<double> s(length, 0.0);
    const struct {
        double ratio, level, decay;
    } partials[] = {{0.5, 0.35, 1.6},   {1.0, 1.0, 1.2},  {2.0, 0.5, 0.8},
                    {2.76, 0.45, 0.55}, {5.4, 0.25, 0.3}, {8.93, 0.12, 0.18}};
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(t / 0.004, 1.0);
        for (const auto& p : partials)
            s[i] +=
                p.level * std::sin(kTwoPi * 660 * p.ratio * t) * std::exp(-t / p.decay) * attack;
    }
    return s;
}

}  // namespace

void writeSounds(const std::filesystem::path& folder) {
    writeFile(folder / "door.wav", wav(door(), 0.7));
    writeFile(folder / "click.wav", wav(click(), 0.6));
    writeFile(folder / "chime.wav", wav(chime(), 0.55));
}

}  // namespace demo

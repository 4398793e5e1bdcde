// The music's timing and cost: the timer's lateness (idle and with both cores busy), a step
// with nothing due, the player's CPU while a dense song plays through the synthesizer, WAV
// render speed, and the onset error of rendered notes against their due times. Figures
// come as counters; times are wall clock, so run it on a quiet machine.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "bench/BusyCores.h"
#include "player/music/MMTimer.h"
#include "player/music/MidiFactory.h"
#include "player/music/Music.h"
#include "player/music/ThreadTimebase.h"
#include "player/music/outputs/SynthOutput.h"
#include "player/music/outputs/WavOutput.h"
#include "tests/music/SmfBytes.h"

namespace {

using namespace vornal;
using vornal::bench::BusyCores;
using vornal::test::DenseSong;
using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1,
                           static_cast<std::size_t>(p * static_cast<double>(values.size())))];
}

// Lateness of the 10 ms timer's calls against their deadlines; arg 1 keeps both cores busy.
void BM_TimerLateness(benchmark::State& state) {
    const bool busy = state.range(0) != 0;
    const auto duration = std::chrono::seconds(state.range(1));
    for (auto _ : state) {
        const BusyCores load(busy);
        std::mutex mutex;
        std::vector<double> lateness;
        ThreadTimebase time;
        const Clock::time_point start = Clock::now();
        {
            TMMTimer timer(time);
            timer.SetInterval(10);
            timer.SetOnTimer([&](TMMTimer&) {
                const double ms =
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                std::lock_guard lock(mutex);
                lateness.push_back(ms - std::floor(ms / 10) * 10);
            });
            std::this_thread::sleep_for(duration);
        }
        state.counters["calls"] = static_cast<double>(lateness.size());
        state.counters["p50_ms"] = Percentile(lateness, 0.50);
        state.counters["p99_ms"] = Percentile(lateness, 0.99);
        state.counters["max_ms"] = Percentile(lateness, 1.0);
    }
}
BENCHMARK(BM_TimerLateness)
    ->Args({0, 10})
    ->Args({1, 10})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// A step of a loaded 16-track song when nothing is due: one clock reading per track.
void BM_StepNothingDue(benchmark::State& state) {
    SimulatedTimebase clock;
    NullOutput output;
    TMidiPlay play(clock, output);
    std::vector<Byte> song{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 16, 0x01, 0xE0};
    for (int t = 0; t < 16; ++t)
        song.insert(song.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 8, 0x8F, 0x00, 0x90, 0x3C, 0x64, 0xFF,
                                 0x2F, 0x00});
    play.LoadFromStream(song);
    play.Tick();  // the start step
    clock.advanceTo(10'000);
    for (auto _ : state)
        play.Tick();
}
BENCHMARK(BM_StepNothingDue);

// The whole player's CPU (sequencer, timer thread, synthesizer) while a dense song plays
// (arg 1 = 1), or while no song plays and the synthesizer renders silence (arg 1 = 0).
// There is no sound card here: a thread of the benchmark takes the audio driver's place and
// asks for 64 frames every 1.45 ms, in real time, as FluidSynth's ALSA driver would (the
// fallback without a sound server; bench_pulse measures the player with a real one).
void BM_SynthPlayerCpu(benchmark::State& state) {
    const auto seconds = state.range(0);
    const bool song = state.range(1) != 0;
    for (auto _ : state) {
        auto output = std::make_unique<SynthOutput>(kDefaultSoundFont, std::vector<std::string>{});
        SynthCore& core = output->core();
        std::atomic<bool> stop{false};
        std::thread audio([&] {
            constexpr int kPeriod = 64;
            std::vector<float> left(kPeriod);
            std::vector<float> right(kPeriod);
            const auto period = std::chrono::duration<double>(kPeriod / SynthCore::kSampleRate);
            Clock::time_point next = Clock::now();
            while (!stop) {
                std::fill(left.begin(), left.end(), 0.0f);
                std::fill(right.begin(), right.end(), 0.0f);
                core.render(left.data(), right.data(), kPeriod);
                next += std::chrono::duration_cast<Clock::duration>(period);
                std::this_thread::sleep_until(next);
            }
        });
        {
            Music music(std::move(output), std::make_unique<ThreadTimebase>());
            // 16 notes every 24 ticks (125 ms): 128 notes a second.
            if (song) music.PlayBgm("dense.mid", [] { return std::optional(DenseSong(1000, 24)); });
            rusage before{};
            getrusage(RUSAGE_SELF, &before);
            const Clock::time_point start = Clock::now();
            std::this_thread::sleep_for(std::chrono::seconds(seconds));
            rusage after{};
            getrusage(RUSAGE_SELF, &after);
            const auto cpu = [](const rusage& r) {
                return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
                       static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
            };
            const double wall = std::chrono::duration<double>(Clock::now() - start).count();
            state.counters["cpu_percent_of_one_core"] = 100 * (cpu(after) - cpu(before)) / wall;
            music.StopBgm();
            stop = true;
            audio.join();
        }
    }
}
BENCHMARK(BM_SynthPlayerCpu)
    ->Args({5, 1})
    ->Args({5, 0})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// wav: rendering a dense song of 30 s on the simulated clock.
void BM_WavRender(benchmark::State& state) {
    const std::vector<Byte> song = DenseSong(240, 24);  // 240 × 125 ms = 30 s
    const auto file = std::filesystem::temp_directory_path() / "vornal_bench.wav";
    double musicSeconds = 0;
    for (auto _ : state) {
        SimulatedTimebase clock;
        {
            WavOutput wav(file, kDefaultSoundFont);
            TMidiPlay play(clock, wav);
            play.LoadFromStream(song);
            std::int64_t ms = 10;
            for (; ms == 10 || play.Playing(); ms += 10) {
                clock.advanceTo(ms * 1000);
                play.Tick();
            }
            musicSeconds += static_cast<double>(ms) / 1000 + 1;  // the fade
        }
    }
    std::filesystem::remove(file);
    state.counters["x_real_time"] = benchmark::Counter(musicSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WavRender)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();

// Onset of 100 drum hits (side stick, channel 10) rendered with each message stamped with
// its due time, against stamping it with the step that sent it (the next 10 ms). The error
// is the onset minus the due time, less the sound's own attack (the median error).
void BM_OnsetError(benchmark::State& state) {
    const bool atStep = state.range(0) != 0;
    for (auto _ : state) {
        SynthCore core(kDefaultSoundFont);
        std::mt19937 random(7);
        std::vector<double> due;
        for (int i = 0; i < 100; ++i) {
            const double ms = 100 + i * 300 + std::uniform_real_distribution<double>(0, 10)(random);
            due.push_back(ms);
            const double stamp = atStep ? std::ceil(ms / 10) * 10 : ms;
            core.scheduleShort(std::llround(stamp * SynthCore::kSampleRate / 1000), 0x7F2599);
            core.scheduleShort(std::llround((stamp + 50) * SynthCore::kSampleRate / 1000),
                               0x002589);
        }
        const auto frames =
            static_cast<int>((100 + 100 * 300 + 500) * SynthCore::kSampleRate / 1000);
        std::vector<float> left(static_cast<std::size_t>(frames));
        std::vector<float> right(static_cast<std::size_t>(frames));
        core.render(left.data(), right.data(), frames);
        std::vector<double> error;
        for (const double ms : due) {
            auto i = static_cast<std::size_t>((ms - 5) * SynthCore::kSampleRate / 1000);
            while (i < left.size() && std::fabs(left[i]) < 0.001f)
                ++i;
            error.push_back(static_cast<double>(i) * 1000 / SynthCore::kSampleRate - ms);
        }
        const double attack = Percentile(error, 0.5);
        std::vector<double> off;
        for (const double e : error)
            off.push_back(std::fabs(e - attack));
        state.counters["attack_ms"] = attack;
        state.counters["p50_ms"] = Percentile(off, 0.5);
        state.counters["p99_ms"] = Percentile(off, 0.99);
        state.counters["max_ms"] = Percentile(off, 1.0);
    }
}
BENCHMARK(BM_OnsetError)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The music through a real PulseAudio server, started here in a private runtime folder with
// a null sink standing in for the sound card:
//   - BM_PulseCpu: the CPU of `vnplayer --music` on a dense song against FluidSynth's own
//     player (`fluidsynth -a pulseaudio`, its defaults) on the same song and SoundFont, run
//     one after the other, several times, so that the load of the machine falls on both
//     alike. CPU is user + system time from /proc over a fixed wall time.
//   - BM_PulseTiming: the player's synthesizer playing the dense song through the server in
//     this process: how far from its stamp (its due time plus the constant latency) each
//     message was applied, how many came too late for their sample, and the latency from
//     due time to sound as the server reports it. Arg 1 keeps both cores busy.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/BusyCores.h"
#include "player/music/Music.h"
#include "player/music/ThreadTimebase.h"
#include "player/music/outputs/SynthOutput.h"
#include "tests/music/PulseServer.h"
#include "tests/music/SmfBytes.h"

namespace {

using namespace vornal;
using vornal::bench::BusyCores;
using vornal::test::ChildRunning;
using vornal::test::DenseSong;
using vornal::test::OnPath;
using vornal::test::PulseServer;
using vornal::test::SpawnChild;
using vornal::test::StopChild;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// User + system time of a process so far, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Fields after the command name, which is in parentheses and may hold blanks.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14 || i == 15) ticks += std::stod(field);
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// A program's CPU in % of one core over `measure`, after `warmUp` of its start.
double CpuPercent(const std::vector<std::string>& argv, const fs::path& log,
                  std::chrono::seconds warmUp, std::chrono::seconds measure) {
    const pid_t pid = SpawnChild(argv, log);
    std::this_thread::sleep_for(warmUp);
    if (!ChildRunning(pid)) throw std::runtime_error(argv[0] + " ended early; see " + log.string());
    const double before = CpuSeconds(pid);
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(measure);
    const double after = CpuSeconds(pid);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const bool alive = ChildRunning(pid);
    StopChild(pid);
    if (!alive) throw std::runtime_error(argv[0] + " ended early; see " + log.string());
    return 100 * (after - before) / wall;
}

void WriteFile(const fs::path& file, const std::vector<Byte>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// args: rounds, seconds measured per run.
void BM_PulseCpu(benchmark::State& state) {
    for (const char* program : {"pulseaudio", "fluidsynth"}) {
        if (!OnPath(program)) {
            state.SkipWithError(
                (std::string(program) + " is not installed (scripts/bootstrap)").c_str());
            return;
        }
    }
    const auto rounds = static_cast<int>(state.range(0));
    const std::chrono::seconds measure(state.range(1));
    const std::chrono::seconds warmUp(2);
    for (auto _ : state) {
        PulseServer server;
        const fs::path song = server.dir() / "dense.mid";
        WriteFile(song, DenseSong(1000, 24));  // 125 s: longer than any run
        const std::vector<std::string> player{VORNAL_PLAYER, "--music", song.string()};
        const std::vector<std::string> fluidsynth{
            "fluidsynth", "-a", "pulseaudio", "-i", "-n", "-q", kDefaultSoundFont, song.string()};
        std::vector<double> ours;
        std::vector<double> theirs;
        for (int round = 0; round < rounds; ++round) {
            // Each goes first in every other round: a load that grows or falls meets both.
            for (int turn = 0; turn < 2; ++turn) {
                const bool playerNow = (turn == 0) == (round % 2 == 0);
                const double cpu = CpuPercent(playerNow ? player : fluidsynth,
                                              server.dir() / (playerNow ? "player.log" : "fs.log"),
                                              warmUp, measure);
                (playerNow ? ours : theirs).push_back(cpu);
                std::fprintf(stderr, "round %d: %-10s %6.2f %% of one core\n", round + 1,
                             playerNow ? "vnplayer" : "fluidsynth", cpu);
            }
        }
        state.counters["vnplayer_median_pct"] = Median(ours);
        state.counters["vnplayer_min_pct"] = *std::min_element(ours.begin(), ours.end());
        state.counters["vnplayer_max_pct"] = *std::max_element(ours.begin(), ours.end());
        state.counters["fluidsynth_median_pct"] = Median(theirs);
        state.counters["fluidsynth_min_pct"] = *std::min_element(theirs.begin(), theirs.end());
        state.counters["fluidsynth_max_pct"] = *std::max_element(theirs.begin(), theirs.end());
        state.counters["ratio"] = Median(ours) / Median(theirs);
    }
}
BENCHMARK(BM_PulseCpu)->Args({5, 10})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// args: seconds, both cores kept busy (1) or not (0).
void BM_PulseTiming(benchmark::State& state) {
    if (!OnPath("pulseaudio")) {
        state.SkipWithError("pulseaudio is not installed (scripts/bootstrap)");
        return;
    }
    const auto seconds = state.range(0);
    const bool busy = state.range(1) != 0;
    for (auto _ : state) {
        PulseServer server;
        const BusyCores load(busy);
        auto made = std::make_unique<SynthOutput>(kDefaultSoundFont,
                                                  std::vector<std::string>{"pulseaudio"});
        SynthOutput& synth = *made;
        std::vector<double> latency;
        SynthCore::Accuracy accuracy;
        {
            Music music(std::move(made), std::make_unique<ThreadTimebase>());
            music.PlayBgm("dense.mid", [] { return std::optional(DenseSong(1000, 24)); });
            // Until the server plays: a null sink with no stream sleeps up to 2 s at a time,
            // and nothing is heard meanwhile.
            const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(10);
            while (synth.core().renderedFrames() < SynthCore::kSampleRate / 2 &&
                   Clock::now() < giveUp)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
            while (Clock::now() < end) {
                if (const auto micros = synth.soundLatencyMicros(music.timebase().nowMicros()))
                    latency.push_back(*micros / 1000);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            music.StopBgm();
            accuracy = synth.core().accuracy();
        }
        state.counters["onset_worst_ms"] =
            static_cast<double>(accuracy.worstErrorFrames) * 1000 / SynthCore::kSampleRate;
        state.counters["late_messages"] = static_cast<double>(accuracy.lateMessages);
        state.counters["latency_min_ms"] =
            latency.empty() ? 0 : *std::min_element(latency.begin(), latency.end());
        state.counters["latency_p50_ms"] = Median(latency);
        state.counters["latency_max_ms"] =
            latency.empty() ? 0 : *std::max_element(latency.begin(), latency.end());
    }
}
BENCHMARK(BM_PulseTiming)
    ->Args({10, 0})
    ->Args({10, 1})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

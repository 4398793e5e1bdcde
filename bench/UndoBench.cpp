// The demo game played until its undo history is full (128 levels): what a level holds in
// memory, how long taking one back and typing the command again take, and how long resuming
// from the resume point the window keeps at closing takes, its file read from disk.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/SjisText.h"
#include "fuzz/QuietHost.h"
#include "player/core/Engine.h"
#include "player/core/UndoHistory.h"
#include "player/media/PictureFiles.h"

namespace {

using namespace vornal;

// UTF-8 commands of the demo (its rooms, items, the safe's question answered wrongly),
// converted to the game's Shift-JIS by the player's own code page tables.
constexpr const char* kCommands[] = {"見る", "ランプ", "肖像画", "手紙", "書斎",   "ランプ",
                                     "時計", "本棚",   "金庫",   "床",   "持ち物", "戻る"};

struct Demo {
    PictureFiles pictures;
    fuzz::QuietHost host;
    Engine engine{host, MediaServices{&pictures, nullptr, nullptr}};

    Demo() {
        engine.SetRandomSeed(1);
        engine.OpenScript(std::filesystem::path(VORNAL_SOURCE_DIR) / "games/demo/demo.vns");
        run();
    }
    void run() {
        while (host.idleRequests > 0) {
            --host.idleRequests;
            engine.AppIdle();
        }
    }
    void type(const char* utf8) {
        engine.ProcessInput(sjis::fromUtf8(utf8));
        run();
    }
    // Plays until the history holds every level it can.
    void fill() {
        for (std::size_t i = 0; engine.UndoLevels() < UndoHistory::kMaxLevels; ++i)
            type(kCommands[i % std::size(kCommands)]);
    }
};

void UndoOneLevelOfTheDemo(benchmark::State& state) {
    Demo demo;
    demo.fill();
    state.counters["levels"] = static_cast<double>(demo.engine.UndoLevels());
    state.counters["bytes per level"] = static_cast<double>(demo.engine.UndoBytes()) /
                                        static_cast<double>(demo.engine.UndoLevels());
    state.counters["history MiB"] = static_cast<double>(demo.engine.UndoBytes()) / (1 << 20);
    for (auto _ : state) {
        const std::optional<std::string> typed = demo.engine.Undo();
        demo.engine.ProcessInput(*typed);  // typed again: the level comes back
        demo.run();
    }
}
BENCHMARK(UndoOneLevelOfTheDemo)->Unit(benchmark::kMicrosecond);

void ResumeTheDemo(benchmark::State& state) {
    Demo played;
    played.fill();
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("vornal-bench-resume-" + std::to_string(::getpid()));
    {
        const std::vector<Byte> point = played.engine.ResumePoint();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(point.data()),
                   static_cast<std::streamsize>(point.size()));
        state.counters["file bytes"] = static_cast<double>(point.size());
    }
    for (auto _ : state) {
        state.PauseTiming();
        Demo fresh;  // opened, its opening pass run: what the window has when it asks
        state.ResumeTiming();
        const std::vector<Byte> bytes = readWholeFile(file);
        if (!fresh.engine.Resume(bytes)) state.SkipWithError("not resumed");
    }
    std::filesystem::remove(file);
}
BENCHMARK(ResumeTheDemo)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();

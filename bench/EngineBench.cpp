// Engine benchmarks. The jump figure to read is the ratio of Jump/10000 to Jump/10:
// lookups by name must not grow with the number of labels.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/EngineWorkload.h"
#include "player/core/Engine.h"
#include "player/core/Matcher.h"

namespace {

using vornal::bench::NullHost;
using vornal::bench::runUntilIdle;

// A game of `lines` lines: scenes of 100 lines with labels, patterns, story and commands.
std::string generatedScript(int lines) {
    std::string text = "*ITEM\r\n";
    for (int i = 0; i < 50; ++i)
        text += "item" + std::to_string(i) + " " + std::to_string(i % 3) + "\r\n";
    text += "*ITEMEND\r\n";
    int written = 52;
    for (int scene = 0; written < lines; ++scene) {
        const std::string s = std::to_string(scene);
        text += "*SCENE room" + s + "\r\nYou are in room " + s + ".\r\n";
        written += 2;
        for (int j = 0; j < 12 && written < lines; ++j, written += 8) {
            const std::string k = s + "_" + std::to_string(j);
            text += ">look/see thing" + k + "\r\nA thing, number " + k + ".\r\n*LABEL l" + k +
                    "\r\n*F(" + std::to_string(j) + ")+=1\r\n*IF F(1)>=3 room" + s +
                    "\r\n# a comment\r\n\r\n*END\r\n";
        }
        text += "*SCENEEND\r\n";
        ++written;
    }
    return text;
}

void OpenAndIndex200k(benchmark::State& state) {
    const std::string script = generatedScript(200'000);
    NullHost host;
    vornal::Engine engine(host);
    for (auto _ : state) {
        bool ok = engine.OpenScriptText(script, "bench.vns");
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(state.iterations() * 200'000);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(script.size()));
}
BENCHMARK(OpenAndIndex200k)->Unit(benchmark::kMillisecond);

// A loop of assignments, conditions and jumps: 5 lines per round, 100,000 rounds.
void ExecutorLoop(benchmark::State& state) {
    vornal::bench::ExecutorLoopRig rig;
    for (auto _ : state)
        rig.run();
    state.SetItemsProcessed(state.iterations() * vornal::bench::kExecutorLoopLines);
}
BENCHMARK(ExecutorLoop)->Unit(benchmark::kMillisecond);

// 100,000 rounds of two jumps; the script also defines `labels` labels in all.
void Jump(benchmark::State& state) {
    const int labels = static_cast<int>(state.range(0));
    std::string script =
        "*SCENE a\r\n>run\r\n*F(1)=0\r\n*LABEL top\r\n*F(1)+=1\r\n*IF F(1)>=100000 done\r\n"
        "*GOTO far\r\n*LABEL done\r\n*END\r\n";
    for (int i = 0; i < labels - 3; ++i)
        script += "*LABEL filler" + std::to_string(i) + "\r\n";
    script += "*LABEL far\r\n*GOTO top\r\n";
    NullHost host;
    vornal::Engine engine(host);
    engine.SetSliceLimit(1'000'000);
    engine.OpenScriptText(script, "jump.vns");
    runUntilIdle(engine, host);
    for (auto _ : state) {
        engine.ProcessInput("run");
        runUntilIdle(engine, host);
    }
    state.SetItemsProcessed(state.iterations() * 100'000 * 2);
}
BENCHMARK(Jump)->Arg(10)->Arg(10'000)->Unit(benchmark::kMillisecond);

// 1,000 two-word patterns with alternatives; the typed text matches only the last.
void Match1000Patterns(benchmark::State& state) {
    std::vector<vornal::SGameCmd> records;
    for (int i = 0; i < 1000; ++i) {
        const std::string n = std::to_string(i);
        records.push_back(vornal::AddCommand(">take/get item" + n + "x", i + 1));
    }
    vornal::TCmdList list;
    for (const auto& record : records)
        list.push_back(&record);
    const std::string typed = "please get the item999x from the shelf";
    for (auto _ : state) {
        auto found = vornal::MatchCommand(list, typed);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(Match1000Patterns);

}  // namespace

BENCHMARK_MAIN();

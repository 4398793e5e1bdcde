// What the engine benchmarks drive: a host that answers Yes and "1", and the executor's
// loop of assignments, conditions and jumps (5 lines a round, 100,000 rounds a run), shared
// by bench/EngineBench.cpp and the side-by-side benchmark of the web build (WebBench.cpp).
#pragma once

#include <string>

#include "fuzz/QuietHost.h"
#include "player/core/Engine.h"

namespace vornal::bench {

// Answers Yes and "1"; counts the idle requests as QuietHost does.
class NullHost final : public vornal::fuzz::QuietHost {
public:
    bool askYesNo(std::string_view) override { return true; }
    std::string askInput(std::string_view) override { return "1"; }
};

inline void runUntilIdle(Engine& engine, NullHost& host) {
    while (host.idleRequests > 0) {
        host.idleRequests = 0;
        engine.AppIdle();
    }
}

inline constexpr const char* kExecutorLoop =
    "*SCENE a\r\n>run\r\n*F(1)=0\r\n*LABEL loop\r\n*F(1)+=1\r\n*F(2)=F(1)\r\n"
    "*F(3)^=F(2)\r\n*IF F(1)<100000 loop\r\n*END\r\n";
inline constexpr std::int64_t kExecutorLoopLines = 100'000 * 5;

// An engine with kExecutorLoop open; each ProcessInput("run") and runUntilIdle() is a run.
struct ExecutorLoopRig {
    NullHost host;
    Engine engine{host};

    ExecutorLoopRig() {
        engine.SetSliceLimit(1'000'000);
        engine.OpenScriptText(kExecutorLoop, "loop.vns");
        runUntilIdle(engine, host);
    }
    void run() {
        engine.ProcessInput("run");
        runUntilIdle(engine, host);
    }
};

}  // namespace vornal::bench

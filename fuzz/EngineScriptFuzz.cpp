// Input: script text, a NUL byte, then typed commands one per line (also the answers to
// *INPUT). Every run is bounded: a few idle slices and timer ticks per command.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/QuietHost.h"
#include "player/core/Engine.h"

namespace {

constexpr int kMaxCommands = 24;
constexpr int kIdleCallsPerStep = 12;
constexpr int kTicksPerStep = 24;
constexpr std::size_t kSliceLines = 64;

class FuzzHost : public vornal::fuzz::QuietHost {
public:
    std::vector<std::string> answers;
    std::size_t nextAnswer = 0;
    int refusals = 0;
    bool yes = false;
    bool timer = false;

    bool askYesNo(std::string_view) override { return yes = !yes; }
    std::string askInput(std::string_view) override {
        // A refused answer is asked again; give a good one after a few tries.
        if (++refusals > 3 || nextAnswer >= answers.size()) {
            refusals = 0;
            return "7";
        }
        return answers[nextAnswer++];
    }
    void setGameTimerEnabled(bool enabled) override { timer = enabled; }
};

// Idle calls and timer ticks as an event loop would make them, within one budget of
// idle calls per step, so a runaway script costs a bounded time.
void settle(vornal::Engine& engine, FuzzHost& host) {
    int idleCalls = kIdleCallsPerStep;
    int ticks = kTicksPerStep;
    while (idleCalls > 0 && (host.idleRequests > 0 || (host.timer && ticks > 0))) {
        if (host.idleRequests > 0) {
            --host.idleRequests;
            --idleCalls;
            engine.AppIdle();
        } else {
            --ticks;
            engine.GameTimerTimer();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view script = input.substr(0, input.find('\0'));
    std::string_view rest =
        script.size() < input.size() ? input.substr(script.size() + 1) : std::string_view{};
    std::vector<std::string> commands;
    while (!rest.empty() && commands.size() < kMaxCommands) {
        std::size_t end = rest.find('\n');
        commands.emplace_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }

    FuzzHost host;
    host.answers = commands;
    vornal::Engine engine(host);
    engine.SetRandomSeed(12345);
    engine.SetSliceLimit(kSliceLines);
    engine.OpenScriptText(script, "/nonexistent/fuzz.vns");
    settle(engine, host);
    for (const auto& command : commands) {
        engine.ProcessInput(command);
        settle(engine, host);
    }
    return 0;
}

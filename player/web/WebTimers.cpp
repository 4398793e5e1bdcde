#include "player/web/WebTimers.h"

#include <emscripten.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "player/music/DrivenTimebase.h"

namespace vornal {

namespace web {
namespace {

std::vector<DrivenTimebase*>& registered() {
    static std::vector<DrivenTimebase*> timebases;
    return timebases;
}

class LoopTimebase final : public DrivenTimebase {
public:
    LoopTimebase() { registered().push_back(this); }
    ~LoopTimebase() override { std::erase(registered(), this); }
    LoopTimebase(const LoopTimebase&) = delete;
    LoopTimebase& operator=(const LoopTimebase&) = delete;
};

}  // namespace

int runTimers() {
    // A call may end a timebase (or make one): each is looked for again before it runs.
    const std::vector<DrivenTimebase*> timebases = registered();
    std::optional<std::int64_t> wait;
    for (DrivenTimebase* timebase : timebases) {
        if (std::find(registered().begin(), registered().end(), timebase) == registered().end())
            continue;
        if (const std::optional<std::int64_t> next = timebase->runDue()) {
            const std::int64_t left = std::max<std::int64_t>(*next - timebase->nowMicros(), 0);
            wait = std::min(wait.value_or(left), left);
        }
    }
    return wait ? static_cast<int>((*wait + 999) / 1000) : -1;
}

}  // namespace web

std::unique_ptr<Timebase> MakeRealTimebase() {
    return std::make_unique<web::LoopTimebase>();
}

}  // namespace vornal

extern "C" EMSCRIPTEN_KEEPALIVE int vornal_run_timers() {
    return vornal::web::runTimers();
}

// Node's count of the process's processor time: emscripten's process clock is wall time.
#include <emscripten.h>

#include "bench/ProcessorTime.h"

namespace {

EM_JS(double, nodeProcessorSeconds, (), {
    const used = process.cpuUsage();
    return (used.user + used.system) / 1e6;
});

}  // namespace

namespace vornal::bench {

double processorSeconds() {
    return nodeProcessorSeconds();
}

}  // namespace vornal::bench

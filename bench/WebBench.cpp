// The engine's executor and the LZSS decoder, timed the same way in the native build and in
// WebAssembly under node; bench/web.sh runs the two in one go and sets them side by side.
// Each workload runs until a second has passed (at least 5 times); the fastest run, in
// processor time, counts.
// Prints "executor LINES_PER_SECOND" and "lzss_decode BYTES_PER_SECOND". Arguments are
// ignored (scripts/bench passes Google Benchmark's).
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#include "bench/CodecCorpus.h"
#include "bench/EngineWorkload.h"
#include "bench/ProcessorTime.h"
#include "codec/zmCompress.h"

namespace {

using Clock = std::chrono::steady_clock;

// Seconds of the fastest run of `run`.
double fastest(const std::function<void()>& run) {
    const auto start = Clock::now();
    double best = 1e9;
    for (int runs = 0; runs < 5 || Clock::now() - start < std::chrono::seconds(1); ++runs) {
        const double begin = vornal::bench::processorSeconds();
        run();
        best = std::min(best, vornal::bench::processorSeconds() - begin);
    }
    return best;
}

}  // namespace

int main() {
    using namespace vornal;
    bench::ExecutorLoopRig executor;
    const double executorSeconds = fastest([&] { executor.run(); });
    std::printf("executor %.0f\n",
                static_cast<double>(bench::kExecutorLoopLines) / executorSeconds);

    const std::vector<bench::CorpusFile> corpus = bench::makeCorpus();
    std::vector<std::unique_ptr<MemoryStream>> compressed;
    std::size_t total = 0;
    for (const bench::CorpusFile& file : corpus) {
        MemoryStream source(file.bytes);
        auto packed = std::make_unique<MemoryStream>();
        TzmLZSSCompress().Compress(source, *packed, static_cast<std::int32_t>(file.bytes.size()));
        compressed.push_back(std::move(packed));
        total += file.bytes.size();
    }
    MemoryStream dest;
    dest.reserve(total + 64);
    TzmLZSSCompress codec;
    const double decodeSeconds = fastest([&] {
        for (std::size_t i = 0; i < corpus.size(); ++i) {
            compressed[i]->setPosition(0);
            dest.clear();
            codec.Decompress(*compressed[i], dest,
                             static_cast<std::int32_t>(corpus[i].bytes.size()));
        }
    });
    std::printf("lzss_decode %.0f\n", static_cast<double>(total) / decodeSeconds);
    return 0;
}

// Our LZSS coder side by side with the plain scan and with zlib, on a corpus of what
// games hold. Before timing, every file is checked: our bits equal the plain scan's and
// decode back. At the end the medians are set against each other.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "bench/CodecCorpus.h"
#include "codec/zmCompress.h"
#include "tests/codec/PlainLzss.h"

namespace {

using vornal::Byte;
using vornal::MemoryStream;
using vornal::bench::CorpusFile;

std::vector<CorpusFile> corpus;
std::vector<std::vector<Byte>> ours;   // our compressed form of each file
std::vector<std::vector<Byte>> zlib6;  // zlib level 6 of each file
std::size_t totalBytes = 0;

std::vector<Byte> lzss(const std::vector<Byte>& input) {
    MemoryStream source(input);
    MemoryStream dest;
    vornal::TzmLZSSCompress().Compress(source, dest, static_cast<std::int32_t>(input.size()));
    return dest.takeBytes();
}

std::vector<Byte> deflate(const std::vector<Byte>& input, int level) {
    uLongf size = compressBound(input.size());
    std::vector<Byte> out(size);
    if (compress2(out.data(), &size, input.data(), input.size(), level) != Z_OK) std::abort();
    out.resize(size);
    return out;
}

// Which files a benchmark covers: one, or all of them in turn (the mixed corpus).
std::vector<std::size_t> filesOf(int which) {
    if (which >= 0) return {static_cast<std::size_t>(which)};
    std::vector<std::size_t> all(corpus.size());
    std::iota(all.begin(), all.end(), 0);
    return all;
}

std::int64_t bytesOf(const std::vector<std::size_t>& files) {
    std::int64_t n = 0;
    for (auto f : files)
        n += static_cast<std::int64_t>(corpus[f].bytes.size());
    return n;
}

void encodeOurs(benchmark::State& state, int which) {
    auto files = filesOf(which);
    std::vector<std::unique_ptr<MemoryStream>> sources;
    for (auto f : files)
        sources.push_back(std::make_unique<MemoryStream>(corpus[f].bytes));
    MemoryStream dest;
    dest.reserve(static_cast<std::size_t>(bytesOf(files)) * 9 / 8 + 64);
    vornal::TzmLZSSCompress codec;
    for (auto _ : state) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            sources[i]->setPosition(0);
            dest.clear();
            codec.Compress(*sources[i], dest,
                           static_cast<std::int32_t>(corpus[files[i]].bytes.size()));
        }
        benchmark::DoNotOptimize(dest.bytes().data());
    }
    state.SetBytesProcessed(state.iterations() * bytesOf(files));
}

void encodePlain(benchmark::State& state, int which) {
    auto files = filesOf(which);
    for (auto _ : state) {
        for (auto f : files)
            benchmark::DoNotOptimize(vornal::oracle::plainCompress(corpus[f].bytes));
    }
    state.SetBytesProcessed(state.iterations() * bytesOf(files));
}

void encodeZlib(benchmark::State& state, int which, int level) {
    auto files = filesOf(which);
    std::vector<Byte> out(compressBound(static_cast<uLong>(bytesOf(files))));
    for (auto _ : state) {
        for (auto f : files) {
            uLongf size = out.size();
            compress2(out.data(), &size, corpus[f].bytes.data(), corpus[f].bytes.size(), level);
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * bytesOf(files));
}

void decodeOurs(benchmark::State& state, int which) {
    auto files = filesOf(which);
    std::vector<std::unique_ptr<MemoryStream>> sources;
    for (auto f : files)
        sources.push_back(std::make_unique<MemoryStream>(ours[f]));
    MemoryStream dest;
    dest.reserve(static_cast<std::size_t>(bytesOf(files)) + 64);
    vornal::TzmLZSSCompress codec;
    for (auto _ : state) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            sources[i]->setPosition(0);
            dest.clear();
            codec.Decompress(*sources[i], dest,
                             static_cast<std::int32_t>(corpus[files[i]].bytes.size()));
        }
        benchmark::DoNotOptimize(dest.bytes().data());
    }
    state.SetBytesProcessed(state.iterations() * bytesOf(files));
}

void decodeZlib(benchmark::State& state, int which) {
    auto files = filesOf(which);
    std::vector<Byte> out(static_cast<std::size_t>(bytesOf(files)));
    for (auto _ : state) {
        for (auto f : files) {
            uLongf size = out.size();
            uncompress(out.data(), &size, zlib6[f].data(), zlib6[f].size());
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * bytesOf(files));
}

// Keeps each benchmark's median and prints the comparisons after the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.aggregate_name == "median" ||
                (run.repetitions <= 1 && run.aggregate_name.empty())) {
                // CPU time: the machine's cores are shared, and wall time counts the waits.
                seconds_[run.run_name.function_name] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf(
            "\nMedian CPU time as MB/s of uncompressed data; ratio = how many times faster ours "
            "is\n");
        std::printf("%-14s %8s %8s %8s | %8s %8s %8s %8s | %8s %8s %6s\n", "file", "bytes", "ours%",
                    "zlib6%", "enc", "zlib6", "zlib1", "vs z6", "dec", "inflate", "vs inf");
        for (int which = 0; which <= static_cast<int>(corpus.size()); ++which) {
            bool mixed = which == static_cast<int>(corpus.size());
            std::string name = mixed ? "mixed" : corpus[static_cast<std::size_t>(which)].name;
            auto files = filesOf(mixed ? -1 : which);
            double bytes = static_cast<double>(bytesOf(files));
            double packedOurs = 0, packedZlib = 0;
            for (auto f : files)
                packedOurs += ours[f].size(), packedZlib += zlib6[f].size();
            auto rate = [&](const std::string& kind) {
                auto it = seconds_.find(kind + "/" + name);
                return it == seconds_.end() ? 0.0 : bytes / it->second / 1e6;
            };
            double enc = rate("encode/ours"), z6 = rate("encode/zlib6"), z1 = rate("encode/zlib1");
            double dec = rate("decode/ours"), inf = rate("decode/inflate");
            std::printf(
                "%-14s %8.0f %7.1f%% %7.1f%% | %8.1f %8.1f %8.1f %7.2fx | %8.1f %8.1f %5.2fx\n",
                name.c_str(), bytes, 100 * packedOurs / bytes, 100 * packedZlib / bytes, enc, z6,
                z1, z6 > 0 ? enc / z6 : 0.0, dec, inf, inf > 0 ? dec / inf : 0.0);
            if (mixed) {
                double plain = rate("encode/plain");
                if (plain > 0) {
                    std::printf(
                        "mixed corpus: ours encodes %.1fx faster than the plain scan "
                        "(%.2f MB/s), identical output; %.2fx zlib level 1\n",
                        enc / plain, plain, enc / z1);
                }
            }
        }
    }

private:
    std::map<std::string, double> seconds_;
};

void checkCorpus() {
    for (const auto& file : corpus) {
        auto packed = lzss(file.bytes);
        if (packed != vornal::oracle::plainCompress(file.bytes)) {
            std::fprintf(stderr, "%s: fast encoder differs from the plain scan\n",
                         file.name.c_str());
            std::exit(1);
        }
        MemoryStream source(packed);
        MemoryStream back;
        vornal::TzmLZSSCompress().Decompress(source, back,
                                             static_cast<std::int32_t>(file.bytes.size()));
        if (std::vector<Byte>(back.bytes().begin(), back.bytes().end()) != file.bytes) {
            std::fprintf(stderr, "%s: does not decode back\n", file.name.c_str());
            std::exit(1);
        }
        ours.push_back(std::move(packed));
        zlib6.push_back(deflate(file.bytes, 6));
        totalBytes += file.bytes.size();
    }
    std::printf(
        "corpus: %zu files, %zu bytes; fast encoder output identical to the plain scan "
        "on every file\n",
        corpus.size(), totalBytes);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    corpus = vornal::bench::makeCorpus();
    checkCorpus();

    auto add = [](const std::string& kind, auto fn, int which) {
        std::string name =
            kind + "/" + (which < 0 ? "mixed" : corpus[static_cast<std::size_t>(which)].name);
        auto* b = benchmark::RegisterBenchmark(name.c_str(), fn, which);
        b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
        return b;
    };
    for (int which = -1; which < static_cast<int>(corpus.size()); ++which) {
        add("encode/ours", encodeOurs, which);
        add(
            "encode/zlib6", [](benchmark::State& s, int w) { encodeZlib(s, w, 6); }, which);
        add(
            "encode/zlib1", [](benchmark::State& s, int w) { encodeZlib(s, w, 1); }, which);
        add("decode/ours", decodeOurs, which);
        add("decode/inflate", decodeZlib, which);
    }
    add("encode/plain", encodePlain, -1)->Iterations(1)->Repetitions(3);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

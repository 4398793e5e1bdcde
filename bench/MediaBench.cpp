// Media benchmarks. Goals on the development machine: decoding and drawing a 640 x 480
// picture, JPEG or BMP, within 5 ms; a sound effect's first samples handed to the device
// within 20 ms of *SE (SDL's dummy driver, which keeps real time like a sound card).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <thread>

#include "bench/JpegEncode.h"
#include "player/core/PictureArea.h"
#include "player/media/PictureFiles.h"
#include "player/media/SdlSound.h"

namespace {

using namespace vornal;

// A photograph's worth of detail: smooth shapes and some grain.
Bitmap photo() {
    Bitmap picture = bench::smoothPicture(640, 480);
    std::mt19937 random(7);
    for (std::uint32_t& p : picture.pixels)
        p ^= random() & 0x0F0F0F;
    return picture;
}

void decodeAndDraw(benchmark::State& state, const std::vector<Byte>& file, PictureFormat format) {
    const PictureFiles files;
    for (auto _ : state) {
        PictureArea area;
        area.setAreaSize(640, 480);
        area.draw(files.decode(file, format), 0, 0);
        benchmark::DoNotOptimize(area.bitmap().pixels.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

void DecodeAndDrawJpeg640x480(benchmark::State& state) {
    decodeAndDraw(state, bench::encodeJpeg(photo(), 90), PictureFormat::Jpeg);
}
BENCHMARK(DecodeAndDrawJpeg640x480)->Unit(benchmark::kMillisecond);

void DecodeAndDrawBmp640x480(benchmark::State& state) {
    decodeAndDraw(state, PictureFiles().encodeBmp(photo()), PictureFormat::Bmp);
}
BENCHMARK(DecodeAndDrawBmp640x480)->Unit(benchmark::kMillisecond);

// Half a second of 22 kHz 16-bit mono.
std::vector<Byte> halfSecondWav() {
    const std::uint32_t rate = 22050, frames = rate / 2;
    std::vector<Byte> wav;
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            wav.push_back(static_cast<Byte>(v >> (8 * i)));
    };
    auto tag = [&](const char* t) { wav.insert(wav.end(), t, t + 4); };
    tag("RIFF");
    put(36 + frames * 2, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(frames * 2, 4);
    for (std::uint32_t i = 0; i < frames; ++i)
        put(i % 100 < 50 ? 3000 : 0xF448, 2);
    return wav;
}

// From start() to the device's first call that takes the sound's samples.
void SoundStartToFirstSample(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SdlSound sound({});
    const std::vector<Byte> wav = halfSecondWav();
    sound.start(wav);  // opens the device
    for (auto _ : state) {
        const auto started = SdlSound::Clock::now();
        sound.start(wav);
        while (!sound.firstHanded())
            std::this_thread::yield();
        state.SetIterationTime(
            std::chrono::duration<double>(*sound.firstHanded() - started).count());
    }
    sound.stop();
}
BENCHMARK(SoundStartToFirstSample)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

BENCHMARK_MAIN();

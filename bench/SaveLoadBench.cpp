// Saving and loading a game whose picture area holds a 640 x 480 picture. Goal on the
// development machine: each under 20 ms, the file written to disk (fsync included).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "bench/JpegEncode.h"
#include "fuzz/QuietHost.h"
#include "player/core/Engine.h"
#include "player/media/PictureFiles.h"

namespace {

using namespace vornal;

class YesHost final : public fuzz::QuietHost {
public:
    bool askYesNo(std::string_view) override { return true; }
};

struct Game {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("vornal-bench-save-" + std::to_string(::getpid()));
    PictureFiles pictures;
    YesHost host;
    Engine engine{host, MediaServices{&pictures, nullptr, nullptr}};

    Game() {
        std::filesystem::create_directories(dir);
        Bitmap photo = bench::smoothPicture(640, 480);
        std::mt19937 random(7);
        for (std::uint32_t& p : photo.pixels)
            p ^= random() & 0x0F0F0F;
        const std::vector<Byte> jpeg = bench::encodeJpeg(photo, 90);
        std::ofstream(dir / "photo.jpg", std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg.data()),
                   static_cast<std::streamsize>(jpeg.size()));
        engine.OpenScriptText(
            "*SCREEN 640 480\r\n*SCENE s\r\n*PICTURE photo.jpg\r\n>save\r\n*SAVE 1\r\n*END\r\n"
            ">load\r\n*LOAD 1\r\n*END\r\n*SCENEEND\r\n",
            dir / "game.vns");
        run();
        type("save");
    }
    ~Game() { std::filesystem::remove_all(dir); }
    void run() {
        while (host.idleRequests > 0) {
            --host.idleRequests;
            engine.AppIdle();
        }
    }
    void type(std::string_view command) {
        engine.ProcessInput(command);
        run();
    }
};

void SaveWith640x480Picture(benchmark::State& state) {
    Game game;
    for (auto _ : state)
        game.type("save");
    state.counters["file bytes"] =
        static_cast<double>(std::filesystem::file_size(game.dir / "game1.sav"));
}
BENCHMARK(SaveWith640x480Picture)->Unit(benchmark::kMillisecond);

void LoadWith640x480Picture(benchmark::State& state) {
    Game game;
    for (auto _ : state)
        game.type("load");
}
BENCHMARK(LoadWith640x480Picture)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();

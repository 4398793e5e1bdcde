// Any bytes as a save file, loaded into an opened game. A refused file leaves the game as
// it was; a loaded one leaves every position within the script. The game's folder is a
// temporary one (in memory where the system has /dev/shm).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>

#include "common/SjisText.h"
#include "fuzz/EngineRun.h"
#include "player/core/Engine.h"
#include "player/media/PictureFiles.h"

namespace {

using namespace vornal;

// The same script wrote the seeds (fuzz/corpus/save_load): three items, a scene to return
// to, and a save made inside a call.
constexpr std::string_view kScript =
    "*ITEM\r\nkey 1\r\nlamp\r\ncoin 5\r\n*ITEMEND\r\n*SCENE hall\r\nhall\r\n>sub\r\n"
    "*GOSUB SUB\r\nback\r\n*END\r\n*LABEL SUB\r\n*F(3)=9\r\n*SAVE 1\r\n*END\r\n*SCENEEND\r\n"
    "*SCENE cellar\r\n>look\r\ndark\r\n*END\r\n*SCENEEND\r\n*SCENE GLOBAL\r\n>load\r\n"
    "*LOAD 1\r\n*END\r\n*SCENEEND\r\n";
constexpr std::int32_t kLines = 26;

using fuzz::require;
using fuzz::settle;

std::filesystem::path folder() {
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path base =
        std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
    const auto dir = base / ("vornal-save-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path dir = folder();
    static const PictureFiles pictures(fuzz::kFuzzPictureLimits);
    static const std::string formatMessage = sjis::fromUtf8("セーブデータの形式が異なっています");
    std::ofstream(dir / "game1.sav", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    fuzz::QuietHost host;
    Engine engine(host, MediaServices{&pictures, nullptr, nullptr});
    engine.SetSliceLimit(256);
    require(engine.OpenScriptText(kScript, dir / "game.vns"));
    settle(engine, host);
    const std::int32_t scene = engine.CurrentScene();
    const std::optional<std::int32_t> coin = engine.ItemValue("coin");

    engine.ProcessInput("load");
    settle(engine, host);
    if (host.lastMessage == formatMessage) {
        require(engine.CurrentScene() == scene);
        require(engine.ItemValue("coin") == coin);
        require(engine.FlagValue(3) == 3);
    } else {
        require(engine.CurrentScene() >= 0 && engine.CurrentScene() <= kLines);
        require(engine.Picture().bitmap().pixels.size() ==
                static_cast<std::size_t>(engine.Picture().bitmap().width) *
                    static_cast<std::size_t>(engine.Picture().bitmap().height));
    }
    // Whatever was loaded, the game goes on.
    engine.ProcessInput("look");
    settle(engine, host);
    return 0;
}

// Any bytes as a resume point, resumed into an opened game. A refused one leaves the game as
// it was; a resumed one leaves every position within the script, and the game goes on.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "fuzz/EngineRun.h"
#include "player/core/Engine.h"
#include "player/media/PictureFiles.h"

namespace {

using namespace vornal;

// The same script wrote the seeds (fuzz/corpus/resume_load): items, a scene to return to, a
// pause inside a call.
constexpr std::string_view kScript =
    "*ITEM\r\nkey 1\r\nlamp\r\n*ITEMEND\r\n*SCENE hall\r\nhall\r\n>take\r\n*GETITEM lamp\r\n"
    "*F(3)=9\r\n>rest\r\n*GOSUB NAP\r\nback\r\n*END\r\n*LABEL NAP\r\n*SETINPUT 1\r\n"
    "*WAIT 2\r\n*END\r\n>cellar\r\n*GOTO CELLAR\r\n*SCENEEND\r\n*SCENE cellar\r\n"
    "*LABEL CELLAR\r\n>look\r\ndark\r\n*SCENEEND\r\n";
constexpr std::int32_t kLines = 25;

using fuzz::require;
using fuzz::settle;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const PictureFiles pictures(fuzz::kFuzzPictureLimits);
    fuzz::QuietHost host;
    Engine engine(host, MediaServices{&pictures, nullptr, nullptr});
    engine.SetSliceLimit(256);
    require(engine.OpenScriptText(kScript, "/nonexistent/game.vns"));
    settle(engine, host);
    const std::int32_t scene = engine.CurrentScene();
    const std::deque<std::string> messages = engine.Messages();

    if (!engine.Resume(std::vector<Byte>(data, data + size))) {
        require(engine.CurrentScene() == scene);
        require(engine.Messages() == messages);
        require(engine.FlagValue(3) == 3);
        require(engine.ItemValue("lamp") == 0);
    } else {
        require(engine.CurrentScene() >= 0 && engine.CurrentScene() <= kLines);
        require(engine.CurrentLine() >= 0 && engine.CurrentLine() <= kLines);
        const Bitmap& bitmap = engine.Picture().bitmap();
        require(bitmap.pixels.size() ==
                static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height));
    }
    // Whatever was resumed, the game goes on, a pause included.
    for (int tick = 0; tick < 8; ++tick)
        engine.GameTimerTimer();
    settle(engine, host);
    engine.ProcessInput("look");
    settle(engine, host);
    engine.Undo();
    return 0;
}

// Any bytes as a song: loaded and played once to its end on a simulated clock, every
// message formatted as the log would write it. Bounded: at most 15 s of music (1500 timer
// calls), for songs with long pauses or none that end.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "player/music/Music.h"
#include "player/music/outputs/LogOutput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto timebase = std::make_unique<vornal::SimulatedTimebase>();
    vornal::SimulatedTimebase& time = *timebase;
    vornal::Music music(std::make_unique<vornal::LogOutput>([](std::string_view) {}),
                        std::move(timebase));
    music.SetLoop(false);
    music.PlayBgm("fuzz.mid", [&] {
        return std::optional<std::vector<vornal::Byte>>(
            std::vector<vornal::Byte>(data, data + size));
    });
    for (int step = 0; step < 1500 && music.GetState().loaded; ++step)
        time.advanceBy(10'000);
    music.StopBgm();
    return 0;
}

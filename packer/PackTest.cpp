// vnpack test GAME WALKTHROUGH: plays a walkthrough against the game with the player's own
// engine and the terminal's fast media (no sound, music on a simulated clock).
#include "packer/PackTest.h"

#include "codec/Stream.h"
#include "common/SjisText.h"
#include "packer/PackCheck.h"
#include "player/author/Seed.h"
#include "player/author/WalkthroughRun.h"
#include "player/media/PlayerMedia.h"

namespace vornal::pack {

namespace {

std::vector<Byte> readWalkthrough(const std::string& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        throw PackError("cannot read '" + file + "'");
    FileStream stream(file, FileStream::Mode::read);
    if (stream.size() > kMaxWalkthroughBytes) throw PackError("'" + file + "' is too large");
    std::vector<Byte> bytes(static_cast<std::size_t>(stream.size()));
    stream.readExact(bytes);
    return bytes;
}

}  // namespace

int RunTest(std::span<const std::string> args, std::FILE* out, std::FILE* err) {
    static constexpr OptionSpec specs[] = {{"", "--encoding", true}, {"", "--seed", true}};
    const ParsedArgs parsed = ParseArgs(args, specs);
    if (parsed.positional.size() != 2) throw UsageError("test takes a game and a walkthrough");
    WalkOptions options;
    options.encoding = EncodingOption(parsed);
    if (auto seed = parsed.value("--seed")) {
        options.seed = ParseSeed(*seed);
        if (!options.seed) throw UsageError("--seed takes a number from 0 to 4294967295");
    }
    const std::string& game = parsed.positional[0];
    const std::string& file = parsed.positional[1];
    Walkthrough walk;
    try {
        walk = ParseWalkthrough(readWalkthrough(file));
    } catch (const WalkthroughError& e) {
        std::fprintf(out, "%s:%d: error: %s\n", file.c_str(), e.line, e.what());
        return kExitFailure;
    } catch (const std::exception& e) {
        Complain(err, e.what());
        return kExitFailure;
    }

    PlayerMedia media(MediaOptions{.mute = true, .fast = true, .output = {}});
    options.media = media.services();
    options.tick = [&media] { media.advanceMusic(std::chrono::milliseconds(100)); };
    const WalkResult result = RunWalkthrough(walk, game, options);
    if (!result.failure) {
        std::fprintf(out, "%s: passed: %zu command%s, %zu expectation%s\n", file.c_str(),
                     result.commands, result.commands == 1 ? "" : "s", result.expectations,
                     result.expectations == 1 ? "" : "s");
        return kExitOk;
    }
    const WalkFailure& failure = *result.failure;
    if (failure.line == 0)
        std::fprintf(out, "%s: error: %s\n", game.c_str(), failure.message.c_str());
    else
        std::fprintf(out, "%s:%d: error: %s\n", file.c_str(), failure.line,
                     failure.message.c_str());
    if (!failure.shown.empty()) std::fputs("  shown:\n", out);
    for (const std::string& line : failure.shown)
        std::fprintf(out, "    %s\n", line.c_str());
    return kExitFailure;
}

}  // namespace vornal::pack

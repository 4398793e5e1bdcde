#include "player/tty/TtyOptions.h"

#include <optional>
#include <string_view>

#include "player/author/Seed.h"
#include "player/media/PictureFiles.h"
#include "player/media/Volume.h"

namespace vornal::tty {

TtyOptions parseTtyOptions(std::span<const char* const> args) {
    TtyOptions options;
    bool haveGame = false;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!optionsEnded && arg.starts_with("-") && arg != "-") {
            if (arg == "--") {
                optionsEnded = true;
            } else if (arg == "--tty") {
            } else if (arg == "--trace") {
                options.trace = true;
            } else if (arg == "--fast") {
                options.fast = true;
            } else if (arg == "--mute") {
                options.mute = true;
            } else if (arg == "--watch") {
                options.watch = true;
            } else if (arg == "--output" || arg == "--picture-out" || arg == "--seed" ||
                       arg == "--encoding" || arg == "--music-volume" || arg == "--sound-volume") {
                if (i + 1 == args.size()) throw UsageError(std::string(arg) + " needs a value");
                const std::string value = args[++i];
                if (arg == "--seed") {
                    options.seed = ParseSeed(value);
                    if (!options.seed)
                        throw UsageError("--seed takes a number from 0 to 4294967295");
                } else if (arg == "--encoding") {
                    options.encoding = ParseEncodingName(value);
                    if (!options.encoding) throw UsageError("--encoding takes utf-8 or shift-jis");
                } else if (arg == "--output") {
                    options.output = value;
                } else if (arg == "--music-volume" || arg == "--sound-volume") {
                    const std::optional<int> volume = ParseVolume(value);
                    if (!volume)
                        throw UsageError(std::string(arg) +
                                         " takes a whole number from 0 to 100, not " + value);
                    (arg == "--music-volume" ? options.musicVolume : options.soundVolume) = *volume;
                } else if (isPictureFileName(value)) {
                    options.pictureOut = value;
                } else {
                    throw UsageError("--picture-out FILE must end in .png or .bmp");
                }
            } else if (arg == "--help" || arg == "-h") {
                options.action = TtyOptions::Action::Help;
            } else if (arg == "--version") {
                options.action = TtyOptions::Action::Version;
            } else {
                throw UsageError("unknown option " + std::string(arg));
            }
            continue;
        }
        if (haveGame) throw UsageError("more than one game given: " + std::string(arg));
        options.game = std::filesystem::path(std::string(arg));
        haveGame = true;
    }
    // --help and --version answer even when the rest of the line is incomplete.
    if (options.action == TtyOptions::Action::Play && !haveGame) throw UsageError("no game given");
    return options;
}

std::string ttyUsage() {
    return "Usage: vnplayer --tty [--trace] [--fast] [--mute] [--output NAME]\n"
           "                      [--music-volume N] [--sound-volume N]\n"
           "                      [--picture-out FILE] [--seed N] [--encoding E] [--watch]\n"
           "                      GAME\n"
           "Plays GAME (a .vns script or .vnp archive) in the terminal.\n"
           "Typed commands are read from standard input, one per line; the game's text\n"
           "is written to standard output, one line per line of the message area.\n"
           "A line \"/undo\" takes the last command back ([undo] in the output).\n"
           "\n"
           "  --trace    also write a [trace] line for each window, media and save event\n"
           "  --fast     do not sleep during *WAIT (its timer ticks come at once); sound\n"
           "             effects are neither played nor waited for, music runs on a\n"
           "             simulated clock (100 ms of music per tick)\n"
           "  --mute     play no sound effects and no music (the game keeps its pace)\n"
           "  --output NAME\n"
           "             where music goes (vnplayer --list-outputs)\n"
           "  --music-volume N, --sound-volume N\n"
           "             the music's and the sound effects' volume, 0 (silent) to 100\n"
           "             (the default); 50 is a quarter of the amplitude (-12 dB)\n"
           "  --picture-out FILE\n"
           "             write the picture area to FILE (.png or .bmp) when the player exits\n"
           "  --seed N   seed the game's random numbers: the same commands, the same story\n"
           "  --encoding utf-8|shift-jis\n"
           "             read the script so (else UTF-8 is recognised by itself)\n"
           "  --watch    when the script or a data file changes, open the game again and\n"
           "             replay the commands typed so far\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n"
           "\n"
           "Exit status: 0 at the end of input, 1 when the game cannot be opened or\n"
           "cannot go on, 2 for a wrong command line, 3 when the game had stopped for\n"
           "good ([halted] on standard error), 130, 143, 129 when stopped by SIGINT\n"
           "(Ctrl-C), SIGTERM, SIGHUP.\n";
}

std::string ttyVersion() {
    return "vnplayer (VORNAL) 0.10\n";
}

}  // namespace vornal::tty

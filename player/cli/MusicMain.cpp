#include "player/cli/MusicMain.h"

#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "codec/Stream.h"
#include "common/ConsoleLines.h"
#include "common/SjisText.h"
#include "common/StopSignals.h"
#include "player/media/PlayerMedia.h"
#include "player/media/Volume.h"
#include "player/music/outputs/OutputRegistry.h"

namespace vornal {

namespace {

constexpr const char* kUsage =
    "usage: vnplayer --music FILE.mid [--once] [--seconds N] [--output NAME] [--fast]\n"
    "                                 [--music-volume N]\n"
    "       vnplayer --list-outputs\n";
// Songs larger than this are refused rather than read (as data files of a game are).
constexpr std::int64_t kMaxSongBytes = std::int64_t{256} << 20;
// With --fast and no --seconds, a song that never ends is stopped after this much music.
constexpr std::int64_t kFastLimitMs = 24LL * 60 * 60 * 1000;
constexpr auto kStep = std::chrono::milliseconds(10);

struct MusicOptions {
    std::string file;
    bool once = false;
    bool fast = false;
    std::optional<std::int64_t> seconds;
    std::string output;
    int volume = kFullVolume;
};

struct Usage {
    std::string reason;
};

MusicOptions parse(int argc, char** argv) {
    MusicOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 == argc) throw Usage{std::string(arg) + " needs a value"};
            return argv[++i];
        };
        if (arg == "--music") {
            options.file = value();
        } else if (arg == "--once") {
            options.once = true;
        } else if (arg == "--fast") {
            options.fast = true;
        } else if (arg == "--output") {
            options.output = value();
        } else if (arg == "--music-volume") {
            const std::string text = value();
            const std::optional<int> volume = ParseVolume(text);
            if (!volume)
                throw Usage{"--music-volume takes a whole number from 0 to 100, not " + text};
            options.volume = *volume;
        } else if (arg == "--seconds") {
            const std::string text = value();
            char* end = nullptr;
            const long long n = std::strtoll(text.c_str(), &end, 10);
            if (text.empty() || *end != 0 || n < 0 || n > 1'000'000'000)
                throw Usage{"--seconds takes a whole number of seconds, not " + text};
            options.seconds = n;
        } else {
            throw Usage{"unknown option " + std::string(arg)};
        }
    }
    if (options.fast && !options.once && !options.seconds)
        throw Usage{"--fast needs --once or --seconds N: a repeating song never ends"};
    return options;
}

void complain(const std::string& text) {
    console::line(stderr, "vnplayer: " + text);
}

std::optional<std::vector<Byte>> readSong(const std::string& file) {
    try {
        FileStream stream(file, FileStream::Mode::read);
        if (stream.size() > kMaxSongBytes) {
            complain(file + " is too large for a song");
            return std::nullopt;
        }
        std::vector<Byte> bytes(static_cast<std::size_t>(stream.size()));
        stream.readExact(bytes);
        return bytes;
    } catch (const StreamError& error) {
        complain("cannot read " + file + ": " + error.what());
        return std::nullopt;
    }
}

void showMessage(const std::string& sjisText) {
    console::line(stderr, "[message] " + sjis::toUtf8(sjisText));
}

// Set by an error on the music's thread: the song no longer plays as asked.
std::atomic<bool> gMusicFailed{false};

bool playing(Music& music) {
    return music.GetState().loaded && !gMusicFailed;
}

// Until a single play has ended, the time is up, the music fails or a stop signal comes.
int play(PlayerMedia& media, const MusicOptions& options) {
    Music& music = media.music();
    if (options.fast) {
        const std::int64_t limitMs = options.seconds ? *options.seconds * 1000 : kFastLimitMs;
        for (std::int64_t ms = 0; ms < limitMs && playing(music) && !stop::requested();
             ms += kStep.count())
            media.advanceMusic(kStep);
        if (!options.seconds && playing(music) && !stop::requested())
            complain("the song had not ended after 24 hours; stopped");
    } else {
        const auto deadline = options.seconds
                                  ? std::optional(std::chrono::steady_clock::now() +
                                                  std::chrono::seconds(*options.seconds))
                                  : std::nullopt;
        while (playing(music) && !stop::requested() &&
               (!deadline || std::chrono::steady_clock::now() < *deadline)) {
            // A short nap, cut short by a signal: the music plays on its own thread meanwhile.
            ::poll(nullptr, 0, 20);
        }
    }
    music.StopBgm();
    if (stop::requested()) return stop::exitCode();
    return gMusicFailed ? 1 : 0;
}

}  // namespace

int runMusic(int argc, char** argv) {
    MusicOptions options;
    try {
        options = parse(argc, argv);
        CheckOutputName(options.output);
    } catch (const Usage& usage) {
        console::raw(stderr, "vnplayer: " + usage.reason + "\n" + kUsage);
        return 2;
    } catch (const UnknownOutput& error) {
        complain(error.what());
        return 2;
    }
    std::optional<std::vector<Byte>> song = readSong(options.file);
    if (!song) return 1;
    stop::installHandlers();
    // Made now: the music clock's 0 is the moment the song is handed over.
    PlayerMedia media(MediaOptions{
        .fast = options.fast, .output = options.output, .musicVolume = options.volume});
    // The song is all this mode plays: an output that cannot work (a file that cannot be
    // created, no audio device) leaves nothing to do.
    if (!media.musicProblem().empty()) {
        complain("music: " + media.musicProblem());
        return 1;
    }
    Music& music = media.music();
    music.SetErrorSink([](std::string text) {
        gMusicFailed = true;
        showMessage(text);
    });
    music.SetLoop(!options.once);
    for (const std::string& error : music.PlayBgm(options.file, [&] { return std::move(song); }))
        showMessage(error);
    int status = music.SongLoaded() ? play(media, options) : 1;
    // The file of wav: is complete only now (its header); a failure is the run's failure.
    if (const std::string problem = media.finishMusic(); !problem.empty()) {
        complain("music: " + problem);
        if (status == 0) status = 1;
    }
    music.SetErrorSink({});
    return status;
}

int listOutputs() {
    for (const OutputChoice& choice : ListOutputs()) {
        std::string name = choice.name;
        if (name.size() < 24) name.resize(24, ' ');
        console::line(stdout, name + " " + choice.description);
    }
    return 0;
}

}  // namespace vornal

#include "player/tty/TtyOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace vornal::tty {
namespace {

TtyOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "vnplayer");
    return parseTtyOptions(args);
}

struct GoodCase {
    std::vector<const char*> args;
    TtyOptions::Action action;
    bool trace;
    bool fast;
    const char* game;
};

TEST(TtyOptions, AcceptedCommandLines) {
    const std::vector<GoodCase> cases = {
        {{"--tty", "game.vns"}, TtyOptions::Action::Play, false, false, "game.vns"},
        {{"game.vns", "--tty", "--fast"}, TtyOptions::Action::Play, false, true, "game.vns"},
        {{"--tty", "--trace", "--fast", "a b.vnp"},
         TtyOptions::Action::Play,
         true,
         true,
         "a b.vnp"},
        {{"--tty", "--", "--trace"}, TtyOptions::Action::Play, false, false, "--trace"},
        {{"--tty", "-"}, TtyOptions::Action::Play, false, false, "-"},
        {{"--tty", "--help"}, TtyOptions::Action::Help, false, false, ""},
        {{"--tty", "-h", "x.vns"}, TtyOptions::Action::Help, false, false, "x.vns"},
        {{"--version", "--tty"}, TtyOptions::Action::Version, false, false, ""},
    };
    const TtyOptions media =
        parse({"--tty", "--mute", "--output", "log:-", "--picture-out", "a.png", "--music-volume",
               "0", "--sound-volume", "75", "g.vns"});
    EXPECT_TRUE(media.mute);
    EXPECT_EQ(media.musicVolume, 0);
    EXPECT_EQ(media.soundVolume, 75);
    EXPECT_EQ(parse({"--tty", "g.vns"}).musicVolume, 100);
    EXPECT_EQ(parse({"--tty", "g.vns"}).soundVolume, 100);
    EXPECT_EQ(media.output, "log:-");
    EXPECT_EQ(media.pictureOut, "a.png");
    EXPECT_EQ(media.game, "g.vns");
    EXPECT_FALSE(media.seed);
    EXPECT_FALSE(media.encoding);
    EXPECT_FALSE(media.watch);
    const TtyOptions author =
        parse({"--tty", "--seed", "4294967295", "--encoding", "UTF-8", "--watch", "g.vns"});
    EXPECT_EQ(author.seed, 4294967295u);
    EXPECT_EQ(author.encoding, ScriptEncoding::Utf8);
    EXPECT_TRUE(author.watch);
    EXPECT_EQ(parse({"--tty", "--seed", "0", "g.vns"}).seed, 0u);
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.args.back());
        const TtyOptions options = parse(c.args);
        EXPECT_EQ(options.action, c.action);
        EXPECT_EQ(options.trace, c.trace);
        EXPECT_EQ(options.fast, c.fast);
        EXPECT_EQ(options.game.string(), c.game);
    }
}

TEST(TtyOptions, UsageErrorsSayWhy) {
    const std::vector<std::pair<std::vector<const char*>, const char*>> cases = {
        {{"--tty"}, "no game given"},
        {{"--tty", "--fats", "g.vns"}, "unknown option --fats"},
        {{"--tty", "-x", "g.vns"}, "unknown option -x"},
        {{"--tty", "a.vns", "b.vns"}, "more than one game given: b.vns"},
        {{"--tty", "g.vns", "--output"}, "--output needs a value"},
        {{"--tty", "g.vns", "--seed"}, "--seed needs a value"},
        {{"--tty", "--seed", "4294967296", "g.vns"}, "--seed takes a number from 0 to 4294967295"},
        {{"--tty", "--seed", "+1", "g.vns"}, "--seed takes a number from 0 to 4294967295"},
        {{"--tty", "--seed", "", "g.vns"}, "--seed takes a number from 0 to 4294967295"},
        {{"--tty", "--encoding", "euc-jp", "g.vns"}, "--encoding takes utf-8 or shift-jis"},
        {{"--tty", "g.vns", "--music-volume"}, "--music-volume needs a value"},
        {{"--tty", "--music-volume", "101", "g.vns"},
         "--music-volume takes a whole number from 0 to 100, not 101"},
        {{"--tty", "--sound-volume", "-1", "g.vns"},
         "--sound-volume takes a whole number from 0 to 100, not -1"},
        {{"--tty", "--sound-volume", "50%", "g.vns"},
         "--sound-volume takes a whole number from 0 to 100, not 50%"},
    };
    for (const auto& [args, why] : cases) {
        try {
            parse(args);
            ADD_FAILURE() << "accepted: " << why;
        } catch (const UsageError& error) {
            EXPECT_STREQ(error.what(), why);
        }
    }
}

}  // namespace
}  // namespace vornal::tty

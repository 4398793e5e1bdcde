// The song reader: header and chunk checks, event decoding, and files whose lengths lie.
#include <gtest/gtest.h>

#include "common/SjisText.h"
#include "player/music/MidiFactory.h"
#include "tests/music/SmfBytes.h"

namespace vornal::test {
namespace {

struct Reader {
    SimulatedTimebase clock;
    NullOutput output;
    TMidiPlay play{clock, output};

    std::vector<std::string> load(Bytes song) { return play.LoadFromStream(std::move(song)); }
    // Every event of track `i` from its start, up to and including the first dkNoData or
    // dkNone (at most 20).
    std::vector<TDestEvent> events(int i = 0) {
        std::vector<TDestEvent> out;
        play.RewindTrack(i);
        for (int n = 0; n < 20; ++n) {
            TDestEvent e;
            play.ReadEvent(i, e);
            out.push_back(e);
            if (e.Kind == dkNoData || e.Kind == dkNone) break;
        }
        return out;
    }
};

std::string Text(const TDestEvent& e) {
    return std::string(reinterpret_cast<const char*>(e.MetaText.data()), e.MetaTextLength);
}

TEST(MidiReader, HeaderChecks) {
    const std::string notSmf =
        sjis::fromUtf8("スタンダード・ミディ・フォーマットのファイルではありません");
    const std::string bad = sjis::fromUtf8("正しいMIDIフォーマットのファイルではありません");
    const Bytes track = Track({0x00, 0xFF, 0x2F, 0x00});
    struct Case {
        const char* name;
        Bytes song;
        std::vector<std::string> errors;
        bool loaded;
    };
    const Case cases[] = {
        {"good", Song({Header(0, 1, 480), track}), {}, true},
        {"RIFF wrapper",
         Song({Bytes{'R', 'I', 'F', 'F'}, Header(0, 1, 480), track}),
         {notSmf},
         false},
        {"three bytes", Bytes{'M', 'T', 'h'}, {notSmf}, false},
        {"header cut short", Bytes{'M', 'T', 'h', 'd', 0, 0}, {bad}, false},
        {"zero length", Song({Header(0, 1, 480, 0), track}), {bad}, false},
        {"zero division", Song({Header(0, 1, 0), track}), {bad}, false},
        {"256 tracks", Song({Header(1, 256, 480), track}), {bad}, false},
        {"255 tracks, one there", Song({Header(1, 255, 480), track}), {bad}, true},
        // The first track is looked for at offset 14 whatever the header's length says.
        {"header length 8", Song({Header(0, 1, 480, 8), Bytes{0, 0}, track}), {bad}, true},
        // A wrong tag moves on four bytes: each track after it fails on its own.
        {"other chunk first",
         Song({Header(1, 2, 96), Bytes{'X', 'Y', 'Z', 'W'}, track}),
         {bad},
         true},
        {"other chunk with its length",
         Song({Header(1, 2, 96), Bytes{'X', 'Y', 'Z', 'W', 0, 0, 0, 4}, track}),
         {bad, bad},
         true},
        {"two tracks declared, one there", Song({Header(1, 2, 96), track}), {bad}, true},
    };
    for (const Case& c : cases) {
        Reader r;
        EXPECT_EQ(r.load(c.song), c.errors) << c.name;
        EXPECT_EQ(r.play.Loaded(), c.loaded) << c.name;
    }
}

TEST(MidiReader, HeaderErrorKeepsTheSongLoadedBefore) {
    Reader r;
    r.load(Song({Header(0, 1, 480), Track({0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00})}));
    EXPECT_EQ(r.load(Bytes{'j', 'u', 'n', 'k'}).size(), 1u);
    EXPECT_TRUE(r.play.Loaded());
    EXPECT_EQ(r.play.MidiDivision(), 480);
    EXPECT_EQ(r.events().front().Status, 0x90);
}

TEST(MidiReader, DecodesEvents) {
    Bytes text300{0x00, 0xFF, 0x01, 0x82, 0x2C};  // a text of 300 bytes
    for (int i = 0; i < 300; ++i)
        text300.push_back(static_cast<Byte>('a' + i % 26));
    text300.insert(text300.end(), {0x00, 0x80, 0x3C, 0x00});
    struct Case {
        const char* name;
        Bytes events;
        // Per event: kind, time, status, data 1, data 2, message length.
        std::vector<std::array<std::int64_t, 6>> expected;
    };
    const Case cases[] = {
        {"note on with velocity 0 stays a note on",
         {0x00, 0x90, 0x3C, 0x00},
         {{dkShort, 0, 0x90, 0x3C, 0x00, 3}, {dkNoData, 0, 0, 0, 0, 0}}},
        {"program change and channel pressure take one byte",
         {0x00, 0xC3, 0x05, 0x10, 0xD3, 0x40, 0x00, 0xE3, 0x00, 0x40},
         {{dkShort, 0, 0xC3, 0x05, 0, 2},
          {dkShort, 16, 0xD3, 0x40, 0, 2},
          {dkShort, 16, 0xE3, 0x00, 0x40, 3},
          {dkNoData, 0, 0, 0, 0, 0}}},
        {"running status across meta and system exclusive",
         {0x00, 0x92, 0x3C, 0x64, 0x00, 0xFF, 0x06, 0x01, 'm', 0x00, 0xF0, 0x01, 0xF7, 0x05, 0x3E,
          0x50},
         {{dkShort, 0, 0x92, 0x3C, 0x64, 3},
          {dkMeta, 0, 0, 0, 0, 0},
          {dkSysEx, 0, 0, 0, 0, 0},
          {dkShort, 5, 0x92, 0x3E, 0x50, 3},
          {dkNoData, 0, 0, 0, 0, 0}}},
        {"a delta of 81 80 00 is 16384 ticks",
         {0x81, 0x80, 0x00, 0x80, 0x3C, 0x00},
         {{dkShort, 16384, 0x80, 0x3C, 0, 3}, {dkNoData, 0, 0, 0, 0, 0}}},
        {"a data byte before any status byte",
         {0x00, 0x3C, 0x00, 0x90, 0x3C, 0x64},
         {{dkShort, 0, 0x00, 0x3C, 0, 0},
          {dkShort, 0, 0x90, 0x3C, 0x64, 3},
          {dkNoData, 0, 0, 0, 0, 0}}},
        {"F1 to FE stop the track where they stand",
         {0x00, 0x90, 0x3C, 0x64, 0x10, 0xF7, 0x90, 0x3C, 0x00},
         {{dkShort, 0, 0x90, 0x3C, 0x64, 3}, {dkNone, 0, 0, 0, 0, 0}}},
        {"a text of 300 bytes, then the next event",
         text300,
         {{dkMeta, 0, 0, 0, 0, 0}, {dkShort, 0, 0x80, 0x3C, 0, 3}, {dkNoData, 0, 0, 0, 0, 0}}},
        // Nothing is read outside the chunk: a cut event ends the track.
        {"an event cut by the chunk's end", {0x00, 0x90, 0x3C}, {{dkNoData, 0, 0, 0, 0, 0}}},
        {"a delta that runs past the chunk",
         {0x00, 0xC0, 0x01, 0x81, 0x80},
         {{dkShort, 0, 0xC0, 1, 0, 2}, {dkNoData, 0, 0, 0, 0, 0}}},
        {"a meta event longer than its chunk",
         {0x00, 0xFF, 0x7F, 0x8F, 0x00, 0x01},
         {{dkNoData, 0, 0, 0, 0, 0}}},
        {"system exclusive longer than its chunk",
         {0x00, 0xF0, 0x05, 0x01, 0x02},
         {{dkNoData, 0, 0, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        Reader r;
        r.load(Song({Header(0, 1, 480), Track(c.events)}));
        const std::vector<TDestEvent> got = r.events();
        ASSERT_EQ(got.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < got.size(); ++i) {
            const TDestEvent& e = got[i];
            const std::array<std::int64_t, 6> actual{e.Kind,  e.Time,  e.Status,
                                                     e.Data1, e.Data2, e.MsgLength};
            EXPECT_EQ(actual, c.expected[i]) << c.name << ", event " << i;
        }
    }
}

TEST(MidiReader, MetaAndSystemExclusiveValues) {
    Bytes longSysEx{0x00, 0xF0, 0x82, 0x00};  // 256 data bytes: too long to hold
    longSysEx.resize(longSysEx.size() + 256, 0x11);
    Reader r;
    r.load(Song({Header(0, 1, 480),
                 Track(Song({{0x00, 0xFF, 0x03, 0x05, 'a', 'b', 0x00, 'c', 'd'},
                             {0x00, 0xFF, 0x51, 0x04, 0x07, 0xA1, 0x20},  // one byte too many
                             {0x00, 0xFF, 0x00, 0x02, 0x12, 0x34},
                             {0x00, 0xFF, 0x20, 0x01, 0x09},
                             {0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7},
                             longSysEx,
                             {0x00, 0xFF, 0x2F, 0x00}}))}));
    const std::vector<TDestEvent> e = r.events();
    ASSERT_GE(e.size(), 8u);
    EXPECT_EQ(Text(e[0]), "ab");
    EXPECT_EQ(e[1].Tempo, 500000u);
    // Tempo is read at its fixed size: the fourth byte is taken as the next delta (0x00).
    EXPECT_EQ(e[2].MetaType, 0x00);
    EXPECT_EQ(e[2].MetaValue, 0x34);
    EXPECT_EQ(e[3].MetaValue, 0x09);
    EXPECT_EQ(e[4].SysExLength, 4u);
    EXPECT_EQ((std::vector<Byte>(e[4].SysEx.begin(), e[4].SysEx.begin() + 4)),
              (std::vector<Byte>{0xF0, 0x7E, 0x7F, 0xF7}));
    EXPECT_EQ(e[5].Kind, dkSysEx);
    EXPECT_EQ(e[5].SysExLength, 0u);
    EXPECT_EQ(e[6].MetaType, 0x2F);
    EXPECT_EQ(e[7].Kind, dkNoData);
    // And for ever after.
    TDestEvent again;
    r.play.ReadEvent(0, again);
    EXPECT_EQ(again.Kind, dkNoData);
}

TEST(MidiReader, TrackLengthPastTheEndStopsAtTheEnd) {
    Reader r;
    EXPECT_TRUE(r.load(Song({Header(0, 1, 96), Track({0x00, 0x90, 0x3C, 0x64}, 1000)})).empty());
    const std::vector<TDestEvent> e = r.events();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].Data2, 0x64);
    EXPECT_EQ(e[1].Kind, dkNoData);
}

TEST(MidiReader, ByteReaders) {
    const Bytes bytes{0x12, 0x34, 0x56, 0x78, 0x9A};
    MidiPos p(bytes);
    EXPECT_EQ(ReadNumber(p, 5), 0u);
    EXPECT_EQ(p.pos, 0u);
    EXPECT_EQ(ReadNumber(p, 3), 0x123456u);
    EXPECT_EQ(ReadNumber(p, 4), 0x789A0000u);  // missing bytes read as 0
    EXPECT_TRUE(p.overrun);
    EXPECT_EQ(p.pos, bytes.size());
    const Bytes vlq{0x8F, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};  // higher bits are lost
    MidiPos q(vlq);
    EXPECT_EQ(ReadVarLen(q), 0xFFFFFFFFu);
    EXPECT_FALSE(q.overrun);
}

}  // namespace
}  // namespace vornal::test

#include "codec/Archive.h"

#include <gtest/gtest.h>

#include <cctype>
#include <limits>
#include <string>
#include <vector>

#include "codec/ArchiveWriter.h"
#include "codec/zmCompress.h"

namespace vornal {
namespace {

using Bytes = std::vector<Byte>;

Bytes bytesOf(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

Bytes contentOf(const MemoryStream& s) {
    return Bytes(s.bytes().begin(), s.bytes().end());
}

// Assembles archives field by field, so tests can also write what no packer writes.
class RawArchive {
public:
    explicit RawArchive(Bytes magic = Bytes(kArchiveMagic.begin(), kArchiveMagic.end())) {
        s_.write(magic);
    }
    RawArchive& count(std::int32_t n) {
        s_.writeInt32(n);
        return *this;
    }
    RawArchive& entry(std::string_view name, std::int32_t compressed, const Bytes& data,
                      std::int32_t unpackedSize) {
        s_.writeInt32(static_cast<std::int32_t>(12 + name.size() + data.size()));
        return header(unpackedSize, compressed, name).raw(data);
    }
    RawArchive& stored(std::string_view name, const Bytes& data) {
        return entry(name, 0, data, static_cast<std::int32_t>(data.size()));
    }
    RawArchive& packed(std::string_view name, const Bytes& plain) {
        MemoryStream source(plain), out;
        TzmLZSSCompress().Compress(source, out, static_cast<std::int32_t>(plain.size()));
        return entry(name, 1, contentOf(out), static_cast<std::int32_t>(plain.size()));
    }
    RawArchive& header(std::int32_t unpackedSize, std::int32_t compressed, std::string_view name) {
        s_.writeInt32(unpackedSize);
        s_.writeInt32(compressed);
        s_.writeInt32(static_cast<std::int32_t>(name.size()));
        return raw(bytesOf(name));
    }
    RawArchive& int32(std::int32_t v) {
        s_.writeInt32(v);
        return *this;
    }
    RawArchive& raw(const Bytes& b) {
        s_.write(b);
        return *this;
    }
    Bytes bytes() const { return contentOf(s_); }

private:
    MemoryStream s_;
};

struct Archive {
    explicit Archive(Bytes b) : stream(std::move(b)) { stream.setName("game.vnp"); }
    MemoryStream stream;
};

TEST(ArchiveWriter, ScriptAbcWithoutDataIsTheKnown36Bytes) {
    MemoryStream out, script(bytesOf("abc"));
    ArchiveWriter writer(out, 1);
    writer.addEntry(kScriptEntryName, script, 3);
    writer.finish();
    const Bytes expected{0x56, 0x4E, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00,
                         0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,
                         '*',  'S',  'C',  'R',  'I',  'P',  'T',  '*',  0x30, 0x98, 0x8C, 0x60};
    EXPECT_EQ(contentOf(out), expected);
}

TEST(ArchiveWriter, EmptyFileIsAnEntryWithoutData) {
    MemoryStream out, script(bytesOf("x")), empty;
    ArchiveWriter writer(out, 2);
    writer.addEntry(kScriptEntryName, script, 1);
    writer.addEntry("EMPTY.WAV", empty, 0);
    writer.finish();
    bool seen = false;
    WalkArchive(out, [&](const ArchiveEntryInfo& e) {
        if (e.index != 1) return true;
        seen = true;
        EXPECT_EQ(e.name, "EMPTY.WAV");
        EXPECT_EQ(e.unpackedSize, 0);
        EXPECT_EQ(e.dataLength, 0);
        return true;
    });
    EXPECT_TRUE(seen);
    // EntryLength of the last entry = 12 + NameLength, and nothing follows it.
    const Bytes all = contentOf(out);
    ASSERT_GE(all.size(), 16u + 9u);
    const std::size_t last = all.size() - 16 - 9;
    EXPECT_EQ(all[last], 12 + 9);
    MemoryStream dest;
    EXPECT_EQ(ReadArchiveEntry("EMPTY.WAV", out, dest), kArchiveFound);
    EXPECT_EQ(dest.size(), 0);
}

TEST(ArchiveWriter, AnnouncedCountMustBeMet) {
    MemoryStream out, script(bytesOf("abc"));
    ArchiveWriter writer(out, 2);
    writer.addEntry(kScriptEntryName, script, 3);
    EXPECT_THROW(writer.finish(), StreamError);
    MemoryStream more(bytesOf("d")), extra(bytesOf("e"));
    writer.addEntry("D", more, 1);
    EXPECT_THROW(writer.addEntry("E", extra, 1), StreamError);
}

TEST(ReadArchiveEntry, LookupCases) {
    const Bytes room = bytesOf("picture bytes picture bytes");
    const Bytes all = RawArchive()
                          .count(5)
                          .packed("*SCRIPT*", bytesOf("*SCENE a"))
                          .packed("ROOM1.BMP", room)
                          .stored("RAW.WAV", bytesOf("stored"))
                          .stored("DUP", bytesOf("first"))
                          .stored("DUP", bytesOf("second"))
                          .bytes();
    struct Case {
        std::string name;
        std::uint8_t result;
        Bytes content;
    };
    const Case cases[] = {
        {"*SCRIPT*", kArchiveFound, bytesOf("*SCENE a")},
        {"ROOM1.BMP", kArchiveFound, room},
        {"room1.bmp", kArchiveNoEntry, {}},  // names are not case-folded
        {"ROOM1.BM", kArchiveNoEntry, {}},
        {"RAW.WAV", kArchiveFound, bytesOf("stored")},  // nothing of the next entry
        {"DUP", kArchiveFound, bytesOf("first")},
        {"", kArchiveNoEntry, {}},
    };
    Archive a(all);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Wherever the previous lookup left the archive, the answer is the same.
        for (std::int64_t start : {std::int64_t{0}, a.stream.size(), std::int64_t{13}}) {
            a.stream.setPosition(start);
            MemoryStream dest;
            ASSERT_EQ(ReadArchiveEntry(c.name, a.stream, dest), c.result);
            EXPECT_EQ(contentOf(dest), c.content);
            EXPECT_EQ(dest.position(), 0);
        }
    }
}

TEST(ReadArchiveEntry, NotAnArchiveOrNoEntryLeavesDestUntouched) {
    const Bytes vn02{'V', 'N', 0x00, 0x02, 1, 0, 0, 0};
    struct Case {
        const char* what;
        Bytes file;
        std::uint8_t result;
    };
    const Case cases[] = {
        {"VN 0 2", vn02, kArchiveBadMagic},
        {"empty file", {}, kArchiveBadMagic},
        {"three bytes", {'V', 'N', 0}, kArchiveBadMagic},
        {"count 0", RawArchive().count(0).bytes(), kArchiveNoEntry},
        {"other names", RawArchive().count(1).stored("A", bytesOf("a")).bytes(), kArchiveNoEntry},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Archive a(c.file);
        MemoryStream dest(bytesOf("keep"));
        dest.setPosition(2);
        EXPECT_EQ(ReadArchiveEntry("*SCRIPT*", a.stream, dest), c.result);
        EXPECT_EQ(contentOf(dest), bytesOf("keep"));
        EXPECT_EQ(dest.position(), 2);
    }
}

TEST(ReadArchiveEntry, RoundTripsThroughTheWriterAtBlockBoundaries) {
    MemoryStream out;
    const std::vector<std::size_t> sizes{0, 1, 2, 3, 4095, 4096, 4097, 8192, 100000};
    ArchiveWriter writer(out, static_cast<std::int32_t>(sizes.size()));
    std::vector<Bytes> files;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        Bytes data(sizes[i]);
        for (std::size_t k = 0; k < data.size(); ++k)
            data[k] = static_cast<Byte>((k * 7 + k / 100) ^ i);
        MemoryStream source(data);
        writer.addEntry("F" + std::to_string(i), source, static_cast<std::int32_t>(data.size()));
        files.push_back(std::move(data));
    }
    writer.finish();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        MemoryStream dest;
        ASSERT_EQ(ReadArchiveEntry("F" + std::to_string(i), out, dest), kArchiveFound);
        EXPECT_EQ(contentOf(dest), files[i]) << "size " << sizes[i];
    }
}

TEST(ReadArchiveEntry, DecodedBytesPastTheClaimedSizeAreDropped) {
    // abcabcabc encodes a 3-byte match at bytes 3..5; claiming 5 bytes makes the decoder
    // finish that token and write 6.
    MemoryStream source(bytesOf("abcabcabc")), packed;
    TzmLZSSCompress().Compress(source, packed, 9);
    Archive a(RawArchive().count(1).entry("X", 1, contentOf(packed), 5).bytes());
    MemoryStream dest;
    ASSERT_EQ(ReadArchiveEntry("X", a.stream, dest), kArchiveFound);
    EXPECT_EQ(contentOf(dest), bytesOf("abcab"));
}

TEST(ReadArchiveEntry, DamagedArchivesAreRefusedNamingTheFile) {
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"count cut short", RawArchive().raw({1, 0}).bytes()},
        {"negative count", RawArchive().count(-1).bytes()},
        {"count beyond the file", RawArchive().count(big).stored("A", bytesOf("a")).bytes()},
        {"count above the entries", RawArchive().count(2).stored("A", bytesOf("a")).bytes()},
        {"header cut short",
         RawArchive().count(2).stored("Z", Bytes(20)).int32(20).int32(4).bytes()},
        {"EntryLength below 12", RawArchive().count(1).int32(11).header(0, 0, "").bytes()},
        {"negative EntryLength", RawArchive().count(1).int32(-5).header(0, 0, "").bytes()},
        {"negative NameLength",
         RawArchive().count(1).int32(12).int32(0).int32(0).int32(-1).bytes()},
        {"name longer than the entry", RawArchive().count(1).int32(13).header(0, 0, "AB").bytes()},
        {"data cut short", RawArchive().count(1).int32(12 + 1 + 100).header(100, 0, "A").bytes()},
        {"huge EntryLength", RawArchive().count(1).int32(big).header(4, 0, "A").bytes()},
        {"negative UnpackedSize", RawArchive().count(1).entry("A", 1, {0, 0}, -1).bytes()},
        {"size the data cannot make",
         RawArchive().count(1).entry("A", 1, {0, 0, 0, 0}, big).bytes()},
        {"stored size mismatch", RawArchive().count(1).entry("A", 0, {1, 2, 3}, 4).bytes()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Archive a(c.file);
        MemoryStream dest;
        try {
            ReadArchiveEntry("A", a.stream, dest);
            ADD_FAILURE() << "accepted";
        } catch (const StreamError& e) {
            EXPECT_NE(std::string(e.what()).find("game.vnp"), std::string::npos) << e.what();
        }
        EXPECT_EQ(dest.size(), 0);
    }
}

TEST(ReadArchiveEntry, AnEntryBeforeTheDamageIsStillFound) {
    // The walk stops at the entry sought, as the lookup has always done.
    Archive a(RawArchive().count(2).stored("A", bytesOf("ok")).int32(-3).header(0, 0, "").bytes());
    MemoryStream dest;
    EXPECT_EQ(ReadArchiveEntry("A", a.stream, dest), kArchiveFound);
    EXPECT_EQ(contentOf(dest), bytesOf("ok"));
    EXPECT_THROW(ReadArchiveEntry("B", a.stream, dest), StreamError);
}

TEST(MaxDecodedSize, BoundsWhatTheDecoderProduces) {
    EXPECT_EQ(MaxDecodedSize(0), 66);
    // 19 bytes = 152 bits = 8 full match tokens, plus one begun.
    EXPECT_EQ(MaxDecodedSize(19), 66 * 9);
    // 4096 equal bytes compress to 162 bytes, within the bound.
    EXPECT_GE(MaxDecodedSize(162), 4096);
}

TEST(WalkArchive, ReportsEveryEntryAndStopsWhenAsked) {
    Archive a(RawArchive()
                  .count(3)
                  .stored("A", bytesOf("1"))
                  .packed("BB", bytesOf("22"))
                  .stored("C", {})
                  .bytes());
    std::vector<std::string> names;
    std::vector<std::int64_t> offsets;
    EXPECT_TRUE(WalkArchive(a.stream, [&](const ArchiveEntryInfo& e) {
        names.push_back(e.name);
        offsets.push_back(e.dataOffset);
        return true;
    }));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "BB", "C"}));
    EXPECT_EQ(offsets[0], 8 + 16 + 1);
    EXPECT_EQ(offsets[1], 8 + 16 + 1 + 1 + 16 + 2);

    int visits = 0;
    WalkArchive(a.stream, [&](const ArchiveEntryInfo&) { return ++visits < 2; });
    EXPECT_EQ(visits, 2);
}

TEST(SurveyArchive, JudgesEveryEntryAndGoesOnWhereItCan) {
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    struct Case {
        const char* what;
        Bytes file;
        std::vector<std::string> sound;   // names of the sound entries, in order
        std::vector<std::string> damage;  // the lines, after "damaged archive 'game.vnp': "
    };
    const Case cases[] = {
        {"sound",
         RawArchive().count(2).stored("A", bytesOf("a")).packed("B", bytesOf("bb")).bytes(),
         {"A", "B"},
         {}},
        {"impossible sizes, then a sound entry",
         RawArchive()
             .count(3)
             .entry("A", 0, {1, 2, 3}, 4)
             .entry("B", 1, {0}, big)
             .stored("C", {})
             .bytes(),
         {"C"},
         {"entry 0 'a': stored with 3 bytes but claims 4",
          "entry 1 'b': claims 2147483647 bytes, more than its 1 stored bytes can decode to"}},
        {"data cut short",
         RawArchive()
             .count(3)
             .stored("A", bytesOf("a"))
             .int32(12 + 1 + 100)
             .header(100, 0, "B")
             .raw(Bytes(10))
             .bytes(),
         {"A"},
         {"entry 1 'b': the file is cut short inside it (101 bytes of name and data, 11 left)",
          "entry 2 cannot be reached: the walk cannot pass entry 1"}},
        {"name cut short too",
         RawArchive().count(1).int32(12 + 8).int32(0).int32(0).int32(8).raw(bytesOf("NA")).bytes(),
         {},
         {"entry 0: the file is cut short inside it (8 bytes of name and data, 2 left)"}},
        {"EntryLength below 12",
         RawArchive().count(3).stored("A", {}).int32(11).header(0, 0, "").bytes(),
         {"A"},
         {"entry 1: EntryLength 11 is below its 12 header bytes",
          "entry 2 cannot be reached: the walk cannot pass entry 1"}},
        {"fewer entries than counted",
         RawArchive().count(big).stored("A", bytesOf("a")).bytes(),
         {"A"},
         {"entries 1 to 2147483646 cannot be reached: the file ends before them"}},
        {"header cut short",
         RawArchive().count(1).int32(20).int32(4).bytes(),
         {},
         {"entry 0: the file ends inside its header"}},
        {"negative count", RawArchive().count(-1).bytes(), {}, {"negative entry count -1"}},
        {"count cut short",
         RawArchive().raw({1, 0}).bytes(),
         {},
         {"the file ends inside the entry count"}},
    };
    const auto lower = [](std::string_view name) {
        std::string shown(name);
        for (char& c : shown)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return shown;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Archive a(c.file);
        const ArchiveSurvey survey = SurveyArchive(a.stream);
        EXPECT_TRUE(survey.isArchive);
        std::vector<std::string> sound;
        for (const SurveyedEntry& e : survey.entries) {
            if (e.damage.empty()) sound.push_back(e.info.name);
        }
        EXPECT_EQ(sound, c.sound);
        std::vector<std::string> expected;
        for (const std::string& line : c.damage)
            expected.push_back("damaged archive 'game.vnp': " + line);
        EXPECT_EQ(survey.damageLines(lower), expected);
        // What the survey calls sound, the reader reads.
        for (const SurveyedEntry& e : survey.entries) {
            if (!e.damage.empty()) continue;
            MemoryStream dest;
            EXPECT_NO_THROW(ReadArchiveData(e.info, a.stream, dest)) << e.info.name;
        }
    }
    Archive notOne(Bytes{'V', 'N', 0, 2, 'r', 'e', 's', 't'});
    EXPECT_FALSE(SurveyArchive(notOne.stream).isArchive);
}

// ---- stream bundle ----

TEST(StreamBundle, WritesCountLengthsAndWholeMembers) {
    MemoryStream first(bytesOf("abc")), second(bytesOf("de")), empty;
    first.setPosition(2);  // written from its first byte all the same
    MemoryStream dest(bytesOf("XY"));
    dest.setPosition(2);
    MemoryStream* members[] = {&first, &empty, &second};
    WriteStreamBundle(dest, members);
    const Bytes expected{'X', 'Y', 3, 0, 0, 0, 3, 0, 0, 0,   'a', 'b',
                         'c', 0,   0, 0, 0, 2, 0, 0, 0, 'd', 'e'};
    EXPECT_EQ(contentOf(dest), expected);
    EXPECT_EQ(first.position(), 3);
    EXPECT_EQ(second.position(), 2);
}

TEST(StreamBundle, ReadsAnyMemberAndLeavesTheSourceAfterIt) {
    MemoryStream a(bytesOf("abc")), b, c(bytesOf("de"));
    MemoryStream bundle;
    MemoryStream* members[] = {&a, &b, &c};
    WriteStreamBundle(bundle, members);
    bundle.write(bytesOf("tail"));
    const Bytes expected[] = {bytesOf("abc"), {}, bytesOf("de")};
    const std::int64_t endOf[] = {4 + 4 + 3, 4 + 4 + 3 + 4, 4 + 4 + 3 + 4 + 4 + 2};
    for (std::int32_t i = 0; i < 3; ++i) {
        bundle.setPosition(0);
        MemoryStream dest(bytesOf("old content"));
        ReadBundleMember(i, bundle, dest);
        EXPECT_EQ(contentOf(dest), expected[i]);
        EXPECT_EQ(dest.position(), 0);
        EXPECT_EQ(bundle.position(), endOf[i]);
    }
}

TEST(StreamBundle, DamagedOrShortBundlesFailWithoutTouchingDest) {
    struct Case {
        const char* what;
        Bytes bundle;
        std::int32_t index;
    };
    const Case cases[] = {
        {"too few members", {1, 0, 0, 0, 1, 0, 0, 0, 'a'}, 1},
        {"negative length", {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, 0},
        {"length past the end", {1, 0, 0, 0, 9, 0, 0, 0, 'a'}, 0},
        {"skipped member past the end", {2, 0, 0, 0, 9, 0, 0, 0, 'a'}, 1},
        {"no count", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryStream source(c.bundle);
        source.setName("slot1.sav");
        MemoryStream dest(bytesOf("keep"));
        try {
            ReadBundleMember(c.index, source, dest);
            ADD_FAILURE() << "accepted";
        } catch (const StreamError& e) {
            EXPECT_NE(std::string(e.what()).find("slot1.sav"), std::string::npos) << e.what();
        }
        EXPECT_EQ(contentOf(dest), bytesOf("keep"));
    }
}

}  // namespace
}  // namespace vornal

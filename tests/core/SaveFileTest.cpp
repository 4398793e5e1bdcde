// The save file's bytes: the state record, the outer layout, and every refusal.
#include "player/core/SaveFile.h"

#include <gtest/gtest.h>

#include <functional>

#include "codec/zmCompress.h"
#include "tests/codec/TestStreams.h"

namespace vornal::save {
namespace {

using Bytes = std::vector<Byte>;

void put(Bytes& out, std::int32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<Byte>(static_cast<std::uint32_t>(v) >> shift));
}

std::int32_t at(const Bytes& b, std::size_t offset) {
    return static_cast<std::int32_t>(b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 |
                                     static_cast<std::uint32_t>(b[offset + 3]) << 24);
}

Bytes lzss(const Bytes& input) {
    MemoryStream source(input);
    MemoryStream dest;
    TzmLZSSCompress().Compress(source, dest, static_cast<std::int32_t>(input.size()));
    return dest.takeBytes();
}

GameState threeItems() {
    GameState state;
    state.scene = 7;
    state.musicLoop = true;
    for (std::int32_t i = 0; i < kSavedFlags; ++i)
        state.flags.push_back(i * 3);
    state.items = {1, 0, -2};
    return state;
}

const ScriptLimits kLimits{3, 100, 1000};

TEST(SaveFile, StateRecordBytes) {
    const Bytes plain = EncodeState(threeItems());
    ASSERT_EQ(plain.size(), 2092u);
    EXPECT_EQ(at(plain, 0), 1);     // format number
    EXPECT_EQ(at(plain, 4), 7);     // scene
    EXPECT_EQ(at(plain, 8), 0);     // no song
    EXPECT_EQ(at(plain, 12), 1);    // loop
    EXPECT_EQ(at(plain, 16), 0);    // L
    EXPECT_EQ(at(plain, 20), 512);  // flag count
    EXPECT_EQ(at(plain, 24 + 4 * 511), 1533);
    EXPECT_EQ(at(plain, 2072), 3);  // N
    EXPECT_EQ(at(plain, 2084), -2);
    EXPECT_EQ(at(plain, 2088), 0);  // M

    GameState playing = threeItems();
    playing.musicLoaded = true;
    playing.song = "A.MID";
    playing.stack = {{5, 9}, {11, 40}};
    const Bytes full = EncodeState(playing);
    ASSERT_EQ(full.size(), 2080u + 5 + 12 + 16);
    EXPECT_EQ(at(full, 8), 1);
    EXPECT_EQ(at(full, 16), 5);
    EXPECT_EQ(std::string(full.begin() + 20, full.begin() + 25), "A.MID");
    EXPECT_EQ(at(full, 2093), 2);  // M, then the bottom entry first
    EXPECT_EQ(at(full, 2097), 5);
    EXPECT_EQ(at(full, 2101), 9);
    EXPECT_EQ(at(full, 2109), 40);

    // A song is named only while it is loaded.
    playing.musicLoaded = false;
    EXPECT_EQ(at(EncodeState(playing), 16), 0);
}

// The file laid out field by field; each member's data is the codec's output.
Bytes handMade(const Bytes& picture, const Bytes& record) {
    Bytes file = {0x56, 0x4E, 0x53, 0x00};
    put(file, 2);
    for (const Bytes* member : {&picture, &record}) {
        const Bytes packed = lzss(*member);
        put(file, static_cast<std::int32_t>(4 + packed.size()));
        put(file, static_cast<std::int32_t>(member->size()));
        file.insert(file.end(), packed.begin(), packed.end());
    }
    return file;
}

TEST(SaveFile, HandMadeFileReadsAndIsWhatTheWriterWrites) {
    const Bytes picture(5000, 0x42);  // past a 4096-byte block
    GameState state = threeItems();
    state.musicLoaded = true;
    state.song = "title.mid";
    state.stack = {{0, 3}};
    const Bytes record = EncodeState(state);
    const Bytes file = handMade(picture, record);

    MemoryStream written;
    WriteSaveFile(written, picture, record);
    EXPECT_EQ(written.takeBytes(), file);

    const Contents read = ReadSaveFile(file, kLimits);
    EXPECT_EQ(read.picture, picture);
    EXPECT_EQ(read.state.scene, 7);
    EXPECT_TRUE(read.state.musicLoaded);
    EXPECT_TRUE(read.state.musicLoop);
    EXPECT_EQ(read.state.song, "title.mid");
    EXPECT_EQ(read.state.flags, state.flags);
    EXPECT_EQ(read.state.items, state.items);
    ASSERT_EQ(read.state.stack.size(), 1u);
    EXPECT_EQ(read.state.stack[0].Line, 3);
}

TEST(SaveFile, ShortRecordsLeaveItemsAndStackAlone) {
    const Bytes full = EncodeState(threeItems());
    const Bytes flagsOnly(full.begin(), full.begin() + 2072);
    const Bytes noStack(full.begin(), full.begin() + 2088);
    const Contents a = ReadSaveFile(handMade({}, flagsOnly), kLimits);
    EXPECT_FALSE(a.state.hasItems);
    EXPECT_FALSE(a.state.hasStack);
    EXPECT_TRUE(a.picture.empty());
    const Contents b = ReadSaveFile(handMade({}, noStack), kLimits);
    EXPECT_TRUE(b.state.hasItems);
    EXPECT_FALSE(b.state.hasStack);
    EXPECT_EQ(b.state.items.size(), 3u);
    // 513 flag values are accepted: a file may set flag 512 too.
    Bytes all = flagsOnly;
    all[20] = 1;
    all[21] = 2;  // 513
    put(all, 99);
    EXPECT_EQ(ReadSaveFile(handMade({}, all), kLimits).state.flags.size(), 513u);
}

struct Refusal {
    const char* what;
    std::function<Bytes()> file;
};

Bytes recordWith(std::size_t offset, std::int32_t value, GameState state = threeItems()) {
    Bytes record = EncodeState(state);
    for (int i = 0; i < 4; ++i)
        record[offset + i] = static_cast<Byte>(static_cast<std::uint32_t>(value) >> (8 * i));
    return record;
}

TEST(SaveFile, RefusesWhatIsNoSaveOrDamaged) {
    const Bytes good = handMade({1, 2, 3}, EncodeState(threeItems()));
    const auto changed = [&](std::size_t offset, Byte value) {
        Bytes b = good;
        b[offset] = value;
        return b;
    };
    const std::vector<Refusal> cases = {
        {"another kind of file", [&] { return changed(2, 'P'); }},
        {"shorter than the magic",
         [] {
             return Bytes{0x56, 0x4E};
         }},
        {"one member", [&] { return changed(4, 1); }},
        {"member past the end", [&] { return changed(11, 0x7F); }},
        {"cut short", [&] { return Bytes(good.begin(), good.end() - 9); }},
        {"bytes after the members",
         [&] {
             Bytes b = good;
             b.push_back(0);
             return b;
         }},
        {"negative size", [&] { return changed(15, 0x80); }},
        {"size beyond what the data can make", [&] { return changed(14, 0x10); }},
        {"damaged match",
         [&] {
             // A match token at block position 0 refers to bytes not yet decoded.
             Bytes b = {0x56, 0x4E, 0x53, 0x00};
             put(b, 2);
             put(b, 8);
             put(b, 3);
             for (Byte x : {0xFF, 0xFF, 0xFF, 0xFF})
                 b.push_back(x);
             const Bytes rest = handMade({}, EncodeState(threeItems()));
             b.insert(b.end(), rest.begin() + 16, rest.end());  // a good member 1
             return b;
         }},
        {"record ends inside the flags",
         [] {
             const Bytes r = EncodeState(threeItems());
             return handMade({}, Bytes(r.begin(), r.begin() + 100));
         }},
        {"514 flags", [] { return handMade({}, recordWith(20, 514)); }},
        {"more items than the script", [] { return handMade({}, recordWith(2072, 4)); }},
        {"song name past the end", [] { return handMade({}, recordWith(16, 1 << 20)); }},
        {"scene outside the script", [] { return handMade({}, recordWith(4, 101)); }},
        {"stack entry outside the script",
         [] {
             GameState s = threeItems();
             s.stack = {{0, 5}};
             return handMade({}, recordWith(2096, -1, s));
         }},
        {"stack deeper than the engine allows",
         [] { return handMade({}, recordWith(2088, 1001)); }},
        {"record longer than its fields",
         [] {
             Bytes r = EncodeState(threeItems());
             r.push_back(0);
             return handMade({}, r);
         }},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_THROW(ReadSaveFile(c.file(), kLimits), SaveFormatError);
    }
    EXPECT_NO_THROW(ReadSaveFile(good, kLimits));
}

TEST(SaveFile, WriteFailureIsReported) {
    testing::FailingStream full(100);
    EXPECT_THROW(WriteSaveFile(full, Bytes(4000, 7), EncodeState(threeItems())), StreamError);
}

}  // namespace
}  // namespace vornal::save

// The music, composed as Standard MIDI Files: a calm theme that repeats, and a short ending
// that plays once.
#include <algorithm>
#include <string>

#include "DemoAssets.h"

namespace demo {

namespace {

constexpr std::uint32_t kDivision = 480;  // ticks per quarter note
constexpr std::uint32_t kQuarter = kDivision;
constexpr std::uint32_t kBar = 4 * kQuarter;

using Bytes = std::vector<std::uint8_t>;

void putVarLen(Bytes& out, std::uint32_t value) {
    Bytes reversed{static_cast<std::uint8_t>(value & 0x7F)};
    while ((value >>= 7) != 0)
        reversed.push_back(static_cast<std::uint8_t>((value & 0x7F) | 0x80));
    out.insert(out.end(), reversed.rbegin(), reversed.rend());
}

void putBig(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

class Track {
public:
    void event(std::uint32_t tick, Bytes bytes) {
        events_.push_back({tick, events_.size(), std::move(bytes)});
    }
    void meta(std::uint32_t tick, std::uint8_t type, const std::string& text) {
        Bytes b{0xFF, type};
        putVarLen(b, static_cast<std::uint32_t>(text.size()));
        b.insert(b.end(), text.begin(), text.end());
        event(tick, std::move(b));
    }
    void program(std::uint8_t channel, std::uint8_t number, std::uint8_t volume) {
        event(0, {static_cast<std::uint8_t>(0xC0 | channel), number});
        event(0, {static_cast<std::uint8_t>(0xB0 | channel), 7, volume});
        event(0, {static_cast<std::uint8_t>(0xB0 | channel), 91, 40});  // a little reverb
    }
    // A note held for most of its length, so repeated notes are heard apart.
    void note(std::uint8_t channel, std::uint32_t tick, std::uint32_t length, std::uint8_t key,
              std::uint8_t velocity) {
        event(tick, {static_cast<std::uint8_t>(0x90 | channel), key, velocity});
        event(tick + length * 19 / 20, {static_cast<std::uint8_t>(0x80 | channel), key, 0});
    }
    Bytes chunk(std::uint32_t end) {
        std::stable_sort(events_.begin(), events_.end(),
                         [](const Event& a, const Event& b) { return a.tick < b.tick; });
        Bytes data;
        std::uint32_t last = 0;
        for (const Event& e : events_) {
            putVarLen(data, e.tick - last);
            data.insert(data.end(), e.bytes.begin(), e.bytes.end());
            last = e.tick;
        }
        putVarLen(data, std::max(end, last) - last);
        data.insert(data.end(), {0xFF, 0x2F, 0x00});
        Bytes out{'M', 'T', 'r', 'k'};
        putBig(out, static_cast<std::uint32_t>(data.size()), 4);
        out.insert(out.end(), data.begin(), data.end());
        return out;
    }

private:
    struct Event {
        std::uint32_t tick;
        std::size_t order;
        Bytes bytes;
    };
    std::vector<Event> events_;
};

Bytes smf(std::vector<Track>& tracks, std::uint32_t end) {
    Bytes out{'M', 'T', 'h', 'd'};
    putBig(out, 6, 4);
    putBig(out, 1, 2);
    putBig(out, static_cast<std::uint32_t>(tracks.size()), 2);
    putBig(out, kDivision, 2);
    for (Track& t : tracks) {
        const Bytes chunk = t.chunk(end);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

// The conductor track: name, tempo, metre, and a General MIDI reset for the synthesizer.
Track conductor(const std::string& name, std::uint32_t microsecondsPerQuarter) {
    Track t;
    t.meta(0, 0x03, name);
    t.event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    Bytes tempo{0xFF, 0x51, 0x03};
    putBig(tempo, microsecondsPerQuarter, 3);
    t.event(0, tempo);
    t.event(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8});
    return t;
}

struct Step {
    std::uint32_t length;  // in eighths
    std::uint8_t key;
};

Bytes theme() {
    // A minor, eight bars: Am F C G | Am Dm E Am.
    std::vector<Track> tracks{conductor("Old House", 909091), Track(), Track(), Track()};
    Track& melody = tracks[1];
    Track& strings = tracks[2];
    Track& bass = tracks[3];
    melody.program(0, 0, 100);   // piano
    strings.program(1, 48, 70);  // strings
    bass.program(2, 42, 80);     // cello
    const Step tune[] = {{6, 69}, {2, 72}, {2, 69}, {2, 67}, {4, 65}, {2, 64}, {2, 67},
                         {4, 72}, {6, 71}, {2, 74}, {6, 76}, {1, 74}, {1, 72}, {2, 74},
                         {2, 72}, {4, 69}, {2, 71}, {2, 68}, {4, 64}, {8, 69}};
    std::uint32_t tick = 0;
    for (const Step& s : tune) {
        melody.note(0, tick, s.length * kQuarter / 2, s.key, 72);
        tick += s.length * kQuarter / 2;
    }
    const std::uint8_t chords[8][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62},
                                       {57, 60, 64}, {57, 62, 65}, {52, 56, 59}, {57, 60, 64}};
    const std::uint8_t roots[8] = {45, 41, 48, 43, 45, 50, 40, 45};
    for (std::uint32_t bar = 0; bar < 8; ++bar) {
        for (std::uint8_t key : chords[bar])
            strings.note(1, bar * kBar, kBar, key, 46);
        bass.note(2, bar * kBar, kBar / 2, roots[bar], 60);
        bass.note(2, bar * kBar + kBar / 2, kBar / 2, static_cast<std::uint8_t>(roots[bar] + 7),
                  50);
    }
    return smf(tracks, 8 * kBar);
}

Bytes ending() {
    // A music box climbs out of the minor into A major, and stops.
    std::vector<Track> tracks{conductor("Memories", 750000), Track(), Track()};
    Track& box = tracks[1];
    Track& strings = tracks[2];
    box.program(0, 10, 100);     // music box
    strings.program(1, 49, 60);  // slow strings
    const std::uint8_t arpeggios[3][4] = {{72, 76, 79, 84}, {71, 74, 79, 83}, {69, 72, 76, 81}};
    for (std::uint32_t bar = 0; bar < 3; ++bar) {
        for (std::uint32_t i = 0; i < 8; ++i)
            box.note(0, bar * kBar + i * kQuarter / 2, kQuarter / 2, arpeggios[bar][i % 4], 80);
    }
    for (std::uint8_t key : {69, 73, 76, 81})
        box.note(0, 3 * kBar, kBar, key, 70);
    const std::uint8_t pads[4][3] = {{60, 64, 67}, {59, 62, 67}, {57, 60, 64}, {57, 61, 64}};
    for (std::uint32_t bar = 0; bar < 4; ++bar) {
        for (std::uint8_t key : pads[bar])
            strings.note(1, bar * kBar, kBar, key, 50);
    }
    return smf(tracks, 4 * kBar + kQuarter);
}

}  // namespace

void writeMusic(const std::filesystem::path& folder) {
    writeFile(folder / "theme.mid", theme());
    writeFile(folder / "ending.mid", ending());
}

}  // namespace demo

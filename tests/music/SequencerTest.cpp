// The sequencer on a fake clock, step by step: what it sends, and in which step.
#include <gtest/gtest.h>

#include "player/music/MidiFactory.h"
#include "player/music/outputs/LogOutput.h"
#include "tests/music/SmfBytes.h"

namespace vornal::test {
namespace {

struct Rig {
    SimulatedTimebase clock;
    std::vector<std::string> log;
    LogOutput output{[this](std::string_view line) { log.emplace_back(line); }};
    TMidiPlay play{clock, output};

    // One step at `ms` on the clock.
    void stepAt(std::int64_t ms) {
        clock.advanceTo(ms * 1000);
        play.Tick();
    }
    // Steps every 10 ms from `from` to `to`, both included.
    void steps(std::int64_t from, std::int64_t to) {
        for (std::int64_t ms = from; ms <= to; ms += 10)
            stepAt(ms);
    }
};

// Format 0: tempo, program change, note, text and system exclusive at tick 0, the note's
// end in running status at tick 480.
const Bytes kFormat0 = Song(
    {Header(0, 1, 480), Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  //
                               0x00, 0xC0, 0x05,                          //
                               0x00, 0x90, 0x3C, 0x64,                    //
                               0x00, 0xFF, 0x01, 0x05, 'H',  'e',  'l',  'l',  'o',  0x00, 0xF0,
                               0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7,  //
                               0x83, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00})});

// Format 1: a tempo map of 60 beats per minute in track 0, two music tracks.
const Bytes kFormat1 = Song(
    {Header(1, 3, 96), Track({0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0x00}),
     Track({0x00, 0x91, 0x40, 0x50, 0x60, 0x81, 0x40, 0x40, 0x00, 0xFF, 0x2F, 0x00}),
     Track({0x00, 0x92, 0x43, 0x50, 0x60, 0x43, 0x00, 0x00, 0xFF, 0x2F, 0x00})});

TEST(Sequencer, GoldenLogs) {
    struct Case {
        const char* name;
        Bytes song;
        std::int64_t until;  // ms
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"format 0",
         kFormat0,
         530,
         {"10.000 open", "20.000 C0 05 00", "20.000 90 3C 64",
          "20.000 F0 41 10 42 12 40 00 7F 00 41 F7", "520.000 90 3C 00", "520.000 reset",
          "520.000 close", "530.000 open"}},
        // Tick 96 at 60 beats per minute is 1 s in: without the tempo it would be 0.5 s.
        {"format 1 with a tempo map",
         kFormat1,
         1010,
         {"10.000 open", "20.000 91 40 50", "20.000 92 43 50", "1010.000 81 40 40",
          "1010.000 92 43 00", "1010.000 reset", "1010.000 close"}},
        // Without End of Track the song never ends, and so never starts again.
        {"a track without End of Track",
         Song({Header(0, 1, 480), Track({0x00, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x80, 0x3C, 0x00})}),
         3000,
         {"10.000 open", "20.000 90 3C 64", "520.000 80 3C 00"}},
        {"format 1 with only track 0",
         Song({Header(1, 1, 480), Track({0x00, 0xB0, 0x07, 0x64, 0x00, 0xFF, 0x2F, 0x00})}),
         3000,
         {"10.000 open", "20.000 B0 07 64"}},
        // An unsupported status byte silences its track; the others go on.
        {"F5 in track 1",
         Song({Header(1, 3, 480), Track({0x00, 0xFF, 0x2F, 0x00}),
               Track({0x00, 0xF5, 0x00, 0xFF, 0x2F, 0x00}),
               Track({0x0A, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00})}),
         3000,
         {"10.000 open", "30.000 90 3C 64"}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.play.LoadFromStream(c.song);
        rig.steps(10, c.until);
        EXPECT_EQ(rig.log, c.log) << c.name;
    }
}

TEST(Sequencer, DueMeansStrictlyBeforeTheCurrentTick) {
    // Division 480 at 120 beats per minute: 10 ms after the start step is tick 10 (9.6
    // rounded), so tick 9 is sent then and tick 10 waits for the next step.
    Rig rig;
    rig.play.LoadFromStream(
        Song({Header(0, 1, 480), Track({0x09, 0x90, 0x3C, 0x64, 0x01, 0x90, 0x3E, 0x64})}));
    rig.stepAt(0);
    rig.stepAt(10);
    EXPECT_EQ(rig.log, (std::vector<std::string>{"0.000 open", "10.000 90 3C 64"}));
    rig.stepAt(20);
    EXPECT_EQ(rig.log.back(), "20.000 90 3E 64");
}

TEST(Sequencer, LowerTrackFirstInAStep) {
    Rig rig;
    rig.play.LoadFromStream(Song({Header(1, 3, 480), Track({0x00, 0xFF, 0x2F, 0x00}),
                                  Track({0x05, 0x91, 0x3C, 0x64, 0x01, 0x91, 0x3D, 0x64}),
                                  Track({0x02, 0x92, 0x3E, 0x64})}));
    rig.steps(0, 10);
    EXPECT_EQ(rig.log, (std::vector<std::string>{"0.000 open", "10.000 91 3C 64", "10.000 91 3D 64",
                                                 "10.000 92 3E 64"}));
}

TEST(Sequencer, TempoInWholeBeats) {
    struct Case {
        Byte t1, t2, t3;
        std::int32_t bpm;
    };
    // 461538 µs: 130; 700000 µs: 86 (85.71); 0: ignored, the tempo in force stays.
    const Case cases[] = {{0x07, 0x0A, 0xE2, 130}, {0x0A, 0xAE, 0x60, 86}, {0x00, 0x00, 0x00, 120}};
    for (const Case& c : cases) {
        Rig rig;
        rig.play.LoadFromStream(Song({Header(0, 1, 96), Track({0x00, 0xFF, 0x51, 0x03, c.t1, c.t2,
                                                               c.t3, 0x60, 0x90, 0x3C, 0x64})}));
        rig.steps(0, 10);
        EXPECT_EQ(rig.play.Bpm(), c.bpm);
    }
}

TEST(Sequencer, TempoCarriesOverToTheNextSong) {
    Rig rig;
    // 400000 µs per beat: 150 beats per minute.
    rig.play.LoadFromStream(Song({Header(0, 1, 96), Track({0x00, 0xFF, 0x51, 0x03, 0x06, 0x1A, 0x80,
                                                           0x00, 0xFF, 0x2F, 0x00})}));
    rig.steps(0, 20);
    ASSERT_EQ(rig.play.Bpm(), 150);
    rig.play.Stop();
    rig.log.clear();
    // Tick 24 at 150 beats per minute and division 96 is 100 ms in (60 at 120).
    rig.play.LoadFromStream(Song({Header(0, 1, 96), Track({0x18, 0x90, 0x3C, 0x64})}));
    rig.steps(100, 210);
    EXPECT_EQ(rig.log, (std::vector<std::string>{"100.000 open", "210.000 90 3C 64"}));
}

TEST(Sequencer, StopSilencesAndNextStepDoesNothing) {
    Rig rig;
    rig.play.LoadFromStream(kFormat0);
    rig.steps(10, 30);
    rig.clock.advanceTo(35'000);
    rig.play.Stop();
    EXPECT_EQ(std::vector<std::string>(rig.log.end() - 2, rig.log.end()),
              (std::vector<std::string>{"35.000 reset", "35.000 close"}));
    const std::size_t lines = rig.log.size();
    rig.steps(40, 600);
    EXPECT_EQ(rig.log.size(), lines);
    EXPECT_FALSE(rig.play.Loaded());
}

TEST(Sequencer, RealTimeStepsLogTheirMicroseconds) {
    // A late step catches up at once; the line keeps the step's clock reading.
    Rig rig;
    rig.play.LoadFromStream(kFormat0);
    rig.clock.advanceTo(10'250);
    rig.play.Tick();
    rig.clock.advanceTo(523'417);
    rig.play.Tick();
    EXPECT_EQ(rig.log[1], "523.417 C0 05 00");
    EXPECT_EQ(rig.log[4], "523.417 90 3C 00");
}

}  // namespace
}  // namespace vornal::test

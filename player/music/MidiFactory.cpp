#include "player/music/MidiFactory.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace vornal {

namespace {

// num / den rounded to nearest, halves to even; saturates instead of overflowing.
std::int64_t RoundHalfEven(__int128 num, __int128 den) {
    if (den <= 0 || num <= 0) return 0;
    __int128 q = num / den;
    const __int128 twice = (num % den) * 2;
    if (twice > den || (twice == den && (q & 1) != 0)) ++q;
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    return q > kMax ? kMax : static_cast<std::int64_t>(q);
}

}  // namespace

TMidiPlay::TMidiPlay(const MusicClock& clock, MidiOutput& output)
    : clock_(clock), output_(output) {}

TMidiPlay::~TMidiPlay() {
    StepMicros = clock_.nowMicros();
    CloseDevice();
}

std::vector<std::string> TMidiPlay::LoadFromStream(std::vector<Byte> song) {
    std::vector<std::string> errors;
    TMidiHeader header;
    try {
        MidiPos p(song);
        ReadHeader(p, header);
    } catch (const EMidiError& error) {
        // Checked before anything is replaced: the tracks of a loaded song point into its data.
        errors.emplace_back(error.what());
        return errors;
    }
    SongData = std::move(song);
    MidiFormat_ = header.Format;
    MidiTracks_ = header.Tracks;
    MidiDivision_ = header.Division;
    // The first track follows at offset 14, whatever the header's length says.
    MidiPos walk(SongData, 14);
    bool endReported = false;
    for (int i = 0; i < MidiTracks_; ++i) {
        TTrackCursor& cursor = Cursors[i];
        cursor = {};
        if (walk.left() == 0) {
            // The file ends before all the tracks its header declares: said once.
            if (!endReported) errors.push_back(BadMidiFormatText());
            endReported = true;
            cursor.Start = SongData.size();
        } else {
            try {
                TTrackHeader track;
                ReadTrackHeader(walk, track);
                cursor.Start = walk.pos;
                // A length past the end of the file ends the track where the file ends.
                cursor.Length = static_cast<std::uint32_t>(
                    std::min<std::size_t>(track.Length, SongData.size() - walk.pos));
                walk.skip(cursor.Length);
            } catch (const EMidiError& error) {
                errors.emplace_back(error.what());
                endReported = endReported || walk.overrun;
                cursor = {};
                cursor.Start = walk.pos;
            }
        }
        RewindTrack(i);
        ReadEvent(i, Events[i]);
    }
    Loaded_ = true;
    return errors;
}

bool TMidiPlay::RewindTrack(int i) {
    if (i < 0 || i >= MidiTracks_) return false;
    TTrackCursor& c = Cursors[i];
    c.Current = c.Start;
    c.RunningStatus = 0;
    c.Delta = 0;
    c.Time = 0;
    return true;
}

void TMidiPlay::ClearEvent(TDestEvent& event) {
    event.Kind = dkNone;
    event.Delta = 0;
    event.Time = 0;
    event.Status = event.Data1 = event.Data2 = 0;
    event.MsgType = event.Channel = 0;
}

void TMidiPlay::ReadEvent(int i, TDestEvent& e) {
    TTrackCursor& c = Cursors[i];
    const std::size_t end = c.Start + c.Length;
    const auto noData = [&] {
        // Nothing half-read is left in the record.
        e = TDestEvent{};
        e.Kind = dkNoData;
        c.Current = std::max(c.Current, end);
    };
    if (end <= c.Current) return noData();
    MidiPos p(SongData, c.Current, end);
    const std::uint32_t delta = ReadVarLen(p);
    const Byte b = p.peek();
    if (p.overrun) return noData();
    ClearEvent(e);
    if (b < 0xF0) {
        e.Kind = dkShort;
        if (b & 0x80) {
            e.Status = c.RunningStatus = p.take();
        } else {
            e.Status = c.RunningStatus;
        }
        e.Data1 = p.take();
        e.MsgType = e.Status >> 4;
        e.Channel = e.Status & 0x0F;
        switch (e.MsgType) {
            case 0x8:
            case 0x9:
            case 0xA:
            case 0xB:
            case 0xE:
                e.Data2 = p.take();
                e.MsgLength = 3;
                break;
            case 0xC:
            case 0xD:
                e.MsgLength = 2;
                break;
            default:  // a data byte before any status byte
                break;
        }
    } else if (b == 0xF0) {
        e.Kind = dkSysEx;
        e.SysEx[0] = p.take();
        const std::uint32_t n = ReadVarLen(p);
        if (n < e.SysEx.size()) {
            for (std::uint32_t k = 1; k <= n; ++k)
                e.SysEx[k] = p.take();
            e.SysExLength = n + 1;
        } else {
            // Cut short it would reach the device without its closing F7.
            p.skip(n);
            e.SysExLength = 0;
        }
    } else if (b == 0xFF) {
        e.Kind = dkMeta;
        p.take();
        e.MetaType = p.take();
        e.MetaLength = ReadVarLen(p);
        switch (e.MetaType) {
            case 0x00:
                e.MetaValue = static_cast<Byte>(ReadNumber(p, 2));
                break;
            case 0x01:
            case 0x02:
            case 0x03:
            case 0x04:
            case 0x05:
            case 0x06:
            case 0x07: {
                const std::size_t n = std::min<std::size_t>(e.MetaLength, p.left());
                const Byte* text = p.data.data() + p.pos;
                std::size_t kept = 0;
                while (kept < n && kept < e.MetaText.size() && text[kept] != 0) {
                    e.MetaText[kept] = text[kept];
                    ++kept;
                }
                e.MetaTextLength = static_cast<std::uint8_t>(kept);
                p.skip(e.MetaLength);
                break;
            }
            case 0x20:
                e.MetaValue = p.take();
                break;
            case 0x51:
                e.Tempo = ReadNumber(p, 3);
                break;
            default:
                p.skip(e.MetaLength);
                break;
        }
    } else {
        // Not consumed: the track stays on this byte until it is rewound.
        c.Delta = delta;
        c.Current = p.pos;
        return;
    }
    if (p.overrun) return noData();
    c.Current = p.pos;
    c.Delta = delta;
    c.Time += delta;
    e.Delta = delta;
    e.Time = c.Time;
}

std::int64_t TMidiPlay::NowMs() const {
    return clock_.nowMicros() / 1000;
}

std::int64_t TMidiPlay::CurrentTick() const {
    const std::int64_t elapsed = NowMs() - StartTime;
    // With a division or tempo of 0 the song clock stands at tick 0.
    return RoundHalfEven(__int128{elapsed} * MidiDivision_ * Bpm_, 60000);
}

double TMidiPlay::DueMicros(std::int64_t tick) const {
    // An event at tick T is due once the rounded song position passes T, half a tick later.
    const double ticksPerMinute = static_cast<double>(MidiDivision_) * Bpm_;
    if (ticksPerMinute <= 0) return static_cast<double>(StepMicros);
    return static_cast<double>(StartTime) * 1000.0 +
           (static_cast<double>(tick) + 0.5) * 60e6 / ticksPerMinute;
}

void TMidiPlay::OpenDevice() {
    if (DeviceOpen_) return;
    try {
        output_.open(StepMicros);
    } catch (const MidiOutputError& error) {
        throw EMidiError(error.what());
    }
    DeviceOpen_ = true;
}

void TMidiPlay::CloseDevice() {
    if (!DeviceOpen_) return;
    output_.reset(StepMicros);
    output_.close(StepMicros);
    DeviceOpen_ = false;
}

void TMidiPlay::Stop() {
    StepMicros = clock_.nowMicros();
    Playing_ = false;
    Loaded_ = false;
    CloseDevice();
}

void TMidiPlay::Restart() {
    StepMicros = clock_.nowMicros();
    CloseDevice();
    Playing_ = false;
}

void TMidiPlay::DoMeta(int i, const TDestEvent& e) {
    switch (e.MetaType) {
        case 0x2F:
            TrackEnded[i] = true;
            break;
        case 0x51: {
            if (e.Tempo == 0) break;  // no tempo: the one in force stays
            const std::int64_t now = CurrentTick();
            Bpm_ = static_cast<std::int32_t>(RoundHalfEven(60'000'000, e.Tempo));
            StartTime =
                NowMs() - RoundHalfEven(__int128{now} * 60000, __int128{MidiDivision_} * Bpm_);
            break;
        }
        default:
            break;
    }
}

void TMidiPlay::EndOfSongTest() {
    // Track 0 of a format 1 or 2 song holds only the tempo map: it takes no part.
    const int first = MidiFormat_ == 0 ? 0 : 1;
    if (MidiTracks_ - 1 < first) return;
    for (int i = first; i < MidiTracks_; ++i) {
        if (!TrackEnded[i]) return;
    }
    Playing_ = false;
}

void TMidiPlay::Send(int i) {
    const TDestEvent& e = Events[i];
    const auto step = static_cast<double>(StepMicros);
    const SendTime at{StepMicros, std::min(DueMicros(e.Time), step)};
    switch (e.Kind) {
        case dkShort:
            output_.shortMessage(e.ShortMessage(), at);
            break;
        case dkMeta:
            DoMeta(i, e);
            EndOfSongTest();
            break;
        case dkSysEx:
            if (e.SysExLength > 0)
                output_.longMessage(std::span(e.SysEx.data(), e.SysExLength), at);
            break;
        default:
            break;
    }
}

void TMidiPlay::Tick() {
    if (!Loaded_) return;
    StepMicros = clock_.nowMicros();
    if (!Playing_) {
        // The start step: it sends nothing.
        OpenDevice();
        for (int i = 0; i < MidiTracks_; ++i) {
            RewindTrack(i);
            ReadEvent(i, Events[i]);
            TrackEnded[i] = false;
        }
        Playing_ = true;
        StartTime = NowMs();
        return;
    }
    for (int i = 0; i < MidiTracks_; ++i) {
        // Every due event of this track before any of the next.
        while (Playing_) {
            const TDestEvent& e = Events[i];
            if (e.Kind == dkNoData || e.Kind == dkNone || e.Time >= CurrentTick()) break;
            Send(i);
            ReadEvent(i, Events[i]);
        }
    }
    if (!Playing_) CloseDevice();
}

}  // namespace vornal

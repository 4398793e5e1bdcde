// The synthesizer's sound through a PulseAudio server (PipeWire serves the same protocol),
// rendered on the server's request, a block of a few milliseconds at a time, on the thread
// of libpulse's own loop. FluidSynth's PulseAudio driver writes 64 frames at a time and
// keeps only those queued, so the player woke 700 times a second and spent a fifth of a
// core on it; here the server asks for a block at once and the whole latency is ours to set.
#pragma once

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "player/music/outputs/SynthCore.h"

namespace vornal {

class PulseStream {
public:
    struct Buffering {
        int blockFrames;    // rendered and written at once, on the server's request
        int latencyFrames;  // the stream's whole latency, the server's own buffer included
    };
    using Clock = std::chrono::steady_clock;

    // Connects to the server (never starting one) and starts playing what `core` renders.
    // Throws MidiOutputError when there is no server or it refuses the stream.
    PulseStream(SynthCore& core, Buffering buffering);
    ~PulseStream();
    PulseStream(const PulseStream&) = delete;
    PulseStream& operator=(const PulseStream&) = delete;

    // While the server plays, the synthesizer frame that would be rendered now if the server
    // asked for frames at a steady pace: the frame at which the latest request began, plus
    // the time since. Unlike the frames rendered so far, it does not jump by a block at each
    // request. Before the server plays (at the start, and after the stream ran dry), nothing
    // advances with time and it is the frames rendered.
    double renderPosition(Clock::time_point now) const;
    // Whether the server has begun playing since the last call.
    bool takeStart() { return started_.exchange(false); }
    // The stream's latency as the server reports it (how long the next frame to be written
    // will wait before it is played), and that frame. None before the first timing report.
    struct Timing {
        double latencyMicros = 0;
        std::int64_t nextFrame = 0;
    };
    std::optional<Timing> timing() const;

private:
    struct LoopDeleter {
        void operator()(pa_threaded_mainloop* loop) const;
    };
    struct ContextDeleter {
        void operator()(pa_context* context) const { pa_context_unref(context); }
    };
    struct StreamDeleter {
        void operator()(pa_stream* stream) const { pa_stream_unref(stream); }
    };

    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onStarted(pa_stream* stream, void* self);
    static void onUnderflow(pa_stream* stream, void* self);
    static void onWrite(pa_stream* stream, std::size_t bytes, void* self);
    void render(std::size_t bytes);
    // Waits, under the loop's lock, until the context or stream is ready; false when it failed.
    template <typename Ready>
    bool waitUntil(Ready ready);
    void shutDown();

    SynthCore& core_;
    std::unique_ptr<pa_threaded_mainloop, LoopDeleter> loop_;
    std::unique_ptr<pa_context, ContextDeleter> context_;
    std::unique_ptr<pa_stream, StreamDeleter> stream_;
    std::vector<float> left_;
    std::vector<float> right_;
    // The latest request, for renderPosition(): the frame it began at, its length, when.
    struct Request {
        std::int64_t frame = 0;
        std::int64_t frames = 0;
        Clock::time_point time;
    };
    std::atomic<bool> started_{false};
    std::atomic<bool> playing_{false};
    mutable std::mutex requestMutex_;
    Request request_;
};

}  // namespace vornal

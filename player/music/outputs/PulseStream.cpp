#include "player/music/outputs/PulseStream.h"

#include <algorithm>
#include <string>

#include "player/music/MidiOutput.h"
#include "player/music/ThreadTimebase.h"

namespace vornal {

namespace {

constexpr int kChannels = 2;
constexpr std::size_t kFrameBytes = kChannels * sizeof(float);
// Frames rendered into our own buffers at a time; a larger request is rendered in pieces.
constexpr std::size_t kChunkFrames = 4096;

class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : loop_(loop) {
        pa_threaded_mainloop_lock(loop_);
    }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop_); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

std::string Reason(pa_context* context) {
    return pa_strerror(pa_context_errno(context));
}

}  // namespace

void PulseStream::LoopDeleter::operator()(pa_threaded_mainloop* loop) const {
    pa_threaded_mainloop_free(loop);
}

PulseStream::PulseStream(SynthCore& core, Buffering buffering)
    : core_(core), left_(kChunkFrames), right_(kChunkFrames) {
    loop_.reset(pa_threaded_mainloop_new());
    if (!loop_) throw MidiOutputError("PulseAudio could not be set up");
    context_.reset(pa_context_new(pa_threaded_mainloop_get_api(loop_.get()), "VORNAL"));
    if (!context_) throw MidiOutputError("PulseAudio could not be set up");
    pa_context_set_state_callback(context_.get(), &PulseStream::onContextState, this);
    // Never start a server: a desktop without one plays through ALSA instead.
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        throw MidiOutputError("no PulseAudio server: " + Reason(context_.get()));
    if (pa_threaded_mainloop_start(loop_.get()) < 0)
        throw MidiOutputError("PulseAudio could not be set up");
    try {
        LoopLock lock(loop_.get());
        const bool connected = waitUntil([&] {
            const pa_context_state_t state = pa_context_get_state(context_.get());
            return state == PA_CONTEXT_READY ? 1 : PA_CONTEXT_IS_GOOD(state) ? 0 : -1;
        });
        if (!connected) throw MidiOutputError("no PulseAudio server: " + Reason(context_.get()));

        const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE,
                                  static_cast<std::uint32_t>(SynthCore::kSampleRate), kChannels};
        stream_.reset(pa_stream_new(context_.get(), "music", &spec, nullptr));
        if (!stream_)
            throw MidiOutputError("PulseAudio refused a stream: " + Reason(context_.get()));
        pa_stream_set_state_callback(stream_.get(), &PulseStream::onStreamState, this);
        pa_stream_set_write_callback(stream_.get(), &PulseStream::onWrite, this);
        pa_stream_set_started_callback(stream_.get(), &PulseStream::onStarted, this);
        pa_stream_set_underflow_callback(stream_.get(), &PulseStream::onUnderflow, this);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = static_cast<std::uint32_t>(buffering.latencyFrames * kFrameBytes);
        attr.prebuf = static_cast<std::uint32_t>(-1);
        attr.minreq = static_cast<std::uint32_t>(buffering.blockFrames * kFrameBytes);
        attr.fragsize = static_cast<std::uint32_t>(-1);
        // The latency asked for is the whole way to the sink, its own buffer included.
        const auto flags = PA_STREAM_ADJUST_LATENCY;
        if (pa_stream_connect_playback(stream_.get(), nullptr, &attr, flags, nullptr, nullptr) < 0)
            throw MidiOutputError("PulseAudio refused a stream: " + Reason(context_.get()));
        const bool playing = waitUntil([&] {
            const pa_stream_state_t state = pa_stream_get_state(stream_.get());
            return state == PA_STREAM_READY ? 1 : PA_STREAM_IS_GOOD(state) ? 0 : -1;
        });
        if (!playing)
            throw MidiOutputError("PulseAudio refused a stream: " + Reason(context_.get()));
    } catch (...) {
        shutDown();
        throw;
    }
}

PulseStream::~PulseStream() {
    shutDown();
}

void PulseStream::shutDown() {
    if (!loop_) return;
    {
        LoopLock lock(loop_.get());
        if (stream_) pa_stream_disconnect(stream_.get());
        if (context_) pa_context_disconnect(context_.get());
    }
    // The loop's thread ends before what its callbacks use goes.
    pa_threaded_mainloop_stop(loop_.get());
    stream_.reset();
    context_.reset();
    loop_.reset();
}

template <typename Ready>
bool PulseStream::waitUntil(Ready ready) {
    for (;;) {
        const int state = ready();
        if (state != 0) return state > 0;
        pa_threaded_mainloop_wait(loop_.get());
    }
}

void PulseStream::onContextState(pa_context*, void* self) {
    pa_threaded_mainloop_signal(static_cast<PulseStream*>(self)->loop_.get(), 0);
}

void PulseStream::onStreamState(pa_stream*, void* self) {
    pa_threaded_mainloop_signal(static_cast<PulseStream*>(self)->loop_.get(), 0);
}

void PulseStream::onStarted(pa_stream*, void* self) {
    auto& stream = *static_cast<PulseStream*>(self);
    stream.playing_ = true;
    stream.started_ = true;
}

void PulseStream::onUnderflow(pa_stream*, void* self) {
    // The server waits for a full buffer again before it plays on.
    static_cast<PulseStream*>(self)->playing_ = false;
}

void PulseStream::onWrite(pa_stream*, std::size_t bytes, void* self) {
    static_cast<PulseStream*>(self)->render(bytes);
}

void PulseStream::render(std::size_t bytes) {
    static thread_local const bool prompt = PreferPromptWakeUps();
    (void)prompt;
    std::size_t frames = bytes / kFrameBytes;
    {
        std::lock_guard lock(requestMutex_);
        request_ = Request{core_.renderedFrames(), static_cast<std::int64_t>(frames), Clock::now()};
    }
    while (frames > 0) {
        void* data = nullptr;
        std::size_t size = std::min(frames, kChunkFrames) * kFrameBytes;
        if (pa_stream_begin_write(stream_.get(), &data, &size) < 0 || !data) return;
        const std::size_t count = std::min(size / kFrameBytes, std::min(frames, kChunkFrames));
        if (count == 0) {
            pa_stream_cancel_write(stream_.get());
            return;
        }
        std::fill_n(left_.begin(), count, 0.0f);
        std::fill_n(right_.begin(), count, 0.0f);
        core_.render(left_.data(), right_.data(), static_cast<int>(count));
        auto* out = static_cast<float*>(data);
        for (std::size_t i = 0; i < count; ++i) {
            out[2 * i] = left_[i];
            out[2 * i + 1] = right_[i];
        }
        if (pa_stream_write(stream_.get(), data, count * kFrameBytes, nullptr, 0,
                            PA_SEEK_RELATIVE) < 0)
            return;
        frames -= count;
    }
}

double PulseStream::renderPosition(Clock::time_point now) const {
    if (!playing_) return static_cast<double>(core_.renderedFrames());
    std::lock_guard lock(requestMutex_);
    const double since = std::chrono::duration<double>(now - request_.time).count();
    const double ahead =
        std::clamp(since * SynthCore::kSampleRate, 0.0, static_cast<double>(request_.frames));
    return static_cast<double>(request_.frame) + ahead;
}

std::optional<PulseStream::Timing> PulseStream::timing() const {
    LoopLock lock(loop_.get());
    // A fresh report: between the automatic ones the server's position is only estimated.
    pa_operation* update = pa_stream_update_timing_info(
        stream_.get(),
        [](pa_stream*, int, void* loop) {
            pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
        },
        loop_.get());
    if (update) {
        while (pa_operation_get_state(update) == PA_OPERATION_RUNNING)
            pa_threaded_mainloop_wait(loop_.get());
        pa_operation_unref(update);
    }
    pa_usec_t usec = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream_.get(), &usec, &negative) < 0) return std::nullopt;
    return Timing{negative ? -static_cast<double>(usec) : static_cast<double>(usec),
                  core_.renderedFrames()};
}

}  // namespace vornal

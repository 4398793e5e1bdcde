#include "player/music/MMTimer.h"

#include <mutex>
#include <utility>

namespace vornal {

namespace {

// The timer whose call runs on this thread, for CallIsCurrent().
thread_local TimerPlatform::TimerId tFiring = 0;

class FiringScope {
public:
    explicit FiringScope(TimerPlatform::TimerId id) : saved_(tFiring) { tFiring = id; }
    ~FiringScope() { tFiring = saved_; }
    FiringScope(const FiringScope&) = delete;
    FiringScope& operator=(const FiringScope&) = delete;

private:
    TimerPlatform::TimerId saved_;
};

}  // namespace

// Shared with the platform's callbacks, which may outlive the component by one call.
struct TMMTimer::Shared {
    explicit Shared(TimerPlatform& p) : platform(p) {}

    mutable std::mutex mutex;
    TimerPlatform& platform;
    TMMTimer* owner = nullptr;  // null once destroyed
    bool Enabled = true;
    TTimerEventKind EventKind = TTimerEventKind::ekPeriodic;
    std::uint32_t Interval = 0;
    std::uint32_t Resolution = 0;
    std::uint32_t MinResolution = 0;
    std::uint32_t MaxResolution = 0;
    TNotifyEvent OnTimer;
    TimerPlatform::TimerId TimerID = 0;
    std::uint32_t PeriodInForce = 0;
    std::weak_ptr<Shared> self;
};

TMMTimer::TMMTimer(TimerPlatform& platform) : shared_(std::make_shared<Shared>(platform)) {
    Shared& s = *shared_;
    s.owner = this;
    s.self = shared_;
    const TimerPlatform::DevCaps caps = platform.timeGetDevCaps();
    s.MinResolution = s.Resolution = s.PeriodInForce = caps.periodMin;
    s.MaxResolution = s.Interval = caps.periodMax;
    std::lock_guard lock(s.mutex);
    Update(s);
}

TMMTimer::~TMMTimer() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->Enabled = false;
        Update(*shared_);
        shared_->owner = nullptr;
    }
    // A call of a killed timer may still be running on its thread; it uses `this`.
    shared_->platform.drain();
}

void TMMTimer::Update(Shared& s) {
    if (s.TimerID != 0) {
        s.platform.timeKillEvent(s.TimerID);
        s.platform.timeEndPeriod(s.PeriodInForce);
        s.TimerID = 0;
    }
    if (s.Resolution == 0 || !s.Enabled || !s.OnTimer) return;
    s.platform.timeBeginPeriod(s.Resolution);
    std::weak_ptr<Shared> weak = s.self;
    s.TimerID = s.platform.timeSetEvent(
        s.Interval, s.Resolution,
        [weak](TimerPlatform::TimerId id) {
            if (const std::shared_ptr<Shared> shared = weak.lock()) Fire(shared, id);
        },
        s.EventKind == TTimerEventKind::ekPeriodic);
    if (s.TimerID == 0) {
        s.platform.timeEndPeriod(s.Resolution);
        throw EOutOfResources("no more timers are available");
    }
    s.PeriodInForce = s.Resolution;
}

void TMMTimer::Fire(const std::shared_ptr<Shared>& s, TimerPlatform::TimerId id) {
    TNotifyEvent handler;
    TMMTimer* sender = nullptr;
    {
        std::lock_guard lock(s->mutex);
        if (s->owner == nullptr || s->TimerID != id) return;
        handler = s->OnTimer;
        sender = s->owner;
    }
    {
        FiringScope firing(id);
        handler(*sender);
    }
    // The handler may have destroyed the component or rebuilt the timer meanwhile.
    std::lock_guard lock(s->mutex);
    if (s->owner != nullptr && s->TimerID == id && s->EventKind == TTimerEventKind::ekOneShot) {
        s->Enabled = false;
        Update(*s);
    }
}

bool TMMTimer::Enabled() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->Enabled;
}

void TMMTimer::SetEnabled(bool value) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->Enabled == value) return;
    shared_->Enabled = value;
    Update(*shared_);
}

TTimerEventKind TMMTimer::EventKind() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->EventKind;
}

void TMMTimer::SetEventKind(TTimerEventKind value) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->EventKind == value) return;
    shared_->EventKind = value;
    Update(*shared_);
}

std::uint32_t TMMTimer::Interval() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->Interval;
}

void TMMTimer::SetInterval(std::uint32_t value) {
    std::lock_guard lock(shared_->mutex);
    if (value == shared_->Interval || value < shared_->Resolution) return;
    shared_->Interval = value;
    Update(*shared_);
}

std::uint32_t TMMTimer::Resolution() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->Resolution;
}

void TMMTimer::SetResolution(std::uint32_t value) {
    std::lock_guard lock(shared_->mutex);
    if (value == shared_->Resolution || value < shared_->MinResolution) return;
    shared_->Resolution = value;
    Update(*shared_);
}

std::uint32_t TMMTimer::MinResolution() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->MinResolution;
}

std::uint32_t TMMTimer::MaxResolution() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->MaxResolution;
}

void TMMTimer::SetOnTimer(TNotifyEvent handler) {
    std::lock_guard lock(shared_->mutex);
    shared_->OnTimer = std::move(handler);
    Update(*shared_);
}

bool TMMTimer::Running() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->TimerID != 0;
}

bool TMMTimer::CallIsCurrent() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->TimerID != 0 && tFiring == shared_->TimerID;
}

}  // namespace vornal

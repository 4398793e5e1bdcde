#include "player/music/ThreadTimebase.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

#include <atomic>
#include <condition_variable>
#include <system_error>
#include <thread>
#include <utility>

namespace vornal {

struct ThreadTimebase::Worker {
    TimerId id = 0;
    std::chrono::milliseconds interval{1};
    bool periodic = true;
    Callback callback;
    Clock::time_point start;

    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::atomic<bool> finished{false};
    std::thread thread;
};

std::unique_ptr<Timebase> MakeRealTimebase() {
    return std::make_unique<ThreadTimebase>();
}

ThreadTimebase::ThreadTimebase() : origin_(Clock::now()) {}

ThreadTimebase::~ThreadTimebase() {
    std::vector<TimerId> ids;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, worker] : running_)
            ids.push_back(id);
    }
    for (const TimerId id : ids)
        timeKillEvent(id);
    drain();
}

std::int64_t ThreadTimebase::nowMicros() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - origin_).count();
}

bool PreferPromptWakeUps() {
    sched_param param{};
    // Low among real-time threads: the sound server's own come first.
    param.sched_priority = 10;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

void ThreadTimebase::run(std::shared_ptr<Worker> worker) {
    // The kernel may otherwise let a sleep run 50 µs long to merge wake-ups.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    PreferPromptWakeUps();
    Clock::time_point deadline = worker->start + worker->interval;
    for (;;) {
        {
            std::unique_lock lock(worker->mutex);
            if (worker->wake.wait_until(lock, deadline, [&] { return worker->stop; })) break;
        }
        worker->callback(worker->id);
        if (!worker->periodic) break;
        deadline += worker->interval;
        const Clock::time_point now = Clock::now();
        if (deadline <= now)
            deadline += ((now - deadline) / worker->interval + 1) * worker->interval;
    }
    worker->finished = true;
}

TimerPlatform::TimerId ThreadTimebase::timeSetEvent(std::uint32_t delay, std::uint32_t,
                                                    Callback callback, bool periodic) {
    auto worker = std::make_shared<Worker>();
    worker->interval = std::chrono::milliseconds(delay == 0 ? 1 : delay);
    worker->periodic = periodic;
    worker->callback = std::move(callback);
    worker->start = Clock::now();
    std::lock_guard lock(mutex_);
    reapFinished();
    worker->id = ++lastId_;
    try {
        worker->thread = std::thread(run, worker);
    } catch (const std::system_error&) {
        return 0;
    }
    running_[worker->id] = worker;
    return worker->id;
}

void ThreadTimebase::timeKillEvent(TimerId id) {
    std::lock_guard lock(mutex_);
    const auto it = running_.find(id);
    if (it == running_.end()) return;
    const std::shared_ptr<Worker> worker = it->second;
    running_.erase(it);
    {
        std::lock_guard workerLock(worker->mutex);
        worker->stop = true;
    }
    worker->wake.notify_all();
    killed_.push_back(worker);
    reapFinished();
}

void ThreadTimebase::reapFinished() {
    std::erase_if(killed_, [](const std::shared_ptr<Worker>& worker) {
        if (!worker->finished || worker->thread.get_id() == std::this_thread::get_id())
            return false;
        worker->thread.join();  // it has returned from its last call: this does not block
        return true;
    });
}

void ThreadTimebase::drain() {
    std::vector<std::shared_ptr<Worker>> killed;
    {
        std::lock_guard lock(mutex_);
        killed.swap(killed_);
    }
    // Joined without the lock: a call still running may kill or start timers meanwhile.
    for (const std::shared_ptr<Worker>& worker : killed) {
        if (worker->thread.get_id() == std::this_thread::get_id())
            worker->thread.detach();  // our own thread ends when this call returns
        else
            worker->thread.join();
    }
}

}  // namespace vornal

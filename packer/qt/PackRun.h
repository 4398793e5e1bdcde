// One save on a worker thread: the pack procedure compresses and writes while the window
// stays responsive. Reports reach the window's thread as queued calls, so no widget is
// touched from the worker.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>

#include "packer/PackProcedure.h"

namespace vornal::pack::qt {

class PackRun {
public:
    // Before entry `entry` of `entryCount` is packed (0 = the script), and with
    // entry == entryCount and an empty file once all are.
    using Progress =
        std::function<void(std::size_t entry, std::size_t entryCount, const QString& file)>;
    // Last call of a run that was not cancelled; `failure` is empty on success.
    using Done = std::function<void(const QString& failure)>;

    // Starts writing `job` (whose checks have passed). `progress` and `done` run on
    // `receiver`'s thread, which must outlive this object. `workerHook`, when given, runs
    // on the worker before each progress report (tests hold a save open with it).
    PackRun(QObject& receiver, PackJob job, Progress progress, Done done,
            ProgressCallback workerHook = {});
    // Cancels at the next report and waits for the worker (std::jthread's own ending): the
    // temporary file goes, the old archive stays, and `done` is not called. Past the last
    // report the archive is being committed; that is not cancelled, and `done` runs.
    ~PackRun() = default;
    PackRun(const PackRun&) = delete;
    PackRun& operator=(const PackRun&) = delete;

    // Cancels as the destructor does and waits; true when the archive was left as it was,
    // false when the run had already ended (committed or failed).
    bool Stop();

private:
    std::atomic<bool> cancelled_{false};
    std::jthread worker_;
};

}  // namespace vornal::pack::qt

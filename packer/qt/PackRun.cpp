#include "packer/qt/PackRun.h"

#include "common/StopSignals.h"

#include <QFile>
#include <QMetaObject>
#include <exception>
#include <utility>

namespace vornal::pack::qt {

namespace {

struct Cancelled {};

}  // namespace

PackRun::PackRun(QObject& receiver, PackJob job, Progress progress, Done done,
                 ProgressCallback workerHook)
    : worker_([this, &receiver, job = std::move(job), progress = std::move(progress),
               done = std::move(done), hook = std::move(workerHook)](std::stop_token stop) {
          QString failure;
          try {
              WriteArchiveFile(job, [&](const PackProgress& p) {
                  // Thrown through the procedure, whose pending file removes itself. A stop
                  // signal cancels here at once, even while the window's thread is busy.
                  if (stop.stop_requested() || vornal::stop::requested()) throw Cancelled{};
                  if (hook) hook(p);
                  const QString file =
                      p.file ? QFile::decodeName(p.file->filename().c_str()) : QString();
                  QMetaObject::invokeMethod(
                      &receiver,
                      [progress, entry = p.entry, count = p.entryCount, file] {
                          progress(entry, count, file);
                      },
                      Qt::QueuedConnection);
              });
          } catch (const Cancelled&) {
              cancelled_ = true;
              return;
          } catch (const PackError& e) {
              // Names the archive or the file, in the window's language.
              failure = QString::fromStdString(e.japanese());
          } catch (const std::exception& e) {
              // Anything else (memory) is reported the same way rather than lost with the
              // thread.
              failure = QStringLiteral("「%1」に書き込めません（%2）")
                            .arg(QFile::decodeName(job.archive.c_str()),
                                 QString::fromStdString(e.what()));
          }
          QMetaObject::invokeMethod(
              &receiver, [done, failure] { done(failure); }, Qt::QueuedConnection);
      }) {}

bool PackRun::Stop() {
    worker_.request_stop();
    if (worker_.joinable()) worker_.join();
    return cancelled_;
}

}  // namespace vornal::pack::qt

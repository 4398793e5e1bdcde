// The pack tool's window entry: `vnpack` alone or `vnpack gui [FILE ...]`.
#pragma once

#include <QSocketNotifier>
#include <memory>

namespace vornal::pack {

namespace qt {
class TVNPackForm;
}

// SIGINT, SIGTERM and SIGHUP end the running event loops with the shell's status for the
// signal (130, 143, 129). A save in progress is cancelled first: its temporary file goes,
// the old archive stays, and standard error says so. The notifier keeps the connection.
std::unique_ptr<QSocketNotifier> EndOnStopSignals(qt::TVNPackForm& form);

// Runs the window until it is closed, filled with the files given after "gui" as if they
// had been dropped on it. Returns the program's exit status.
int RunPackWindow(int argc, char** argv);

}  // namespace vornal::pack

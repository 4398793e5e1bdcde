#include "player/tty/TtyMain.h"

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <span>

#include "common/ConsoleLines.h"
#include "common/StopSignals.h"
#include "player/music/outputs/OutputRegistry.h"
#include "player/tty/TtyOptions.h"
#include "player/tty/TtySession.h"

namespace vornal {

int runTty(int argc, char** argv) {
    using tty::TtyOptions;
    TtyOptions options;
    try {
        options = tty::parseTtyOptions(
            std::span<const char* const>(argv, static_cast<std::size_t>(argc)));
    } catch (const tty::UsageError& error) {
        std::fprintf(stderr, "vnplayer: %s\nTry 'vnplayer --tty --help'.\n", error.what());
        return 2;
    }
    if (options.action == TtyOptions::Action::Help) {
        std::fputs(tty::ttyUsage().c_str(), stdout);
        return 0;
    }
    if (options.action == TtyOptions::Action::Version) {
        std::fputs(tty::ttyVersion().c_str(), stdout);
        return 0;
    }

    stop::installHandlers();
    try {
        tty::TtySession session(options, stdout, STDIN_FILENO, ::isatty(STDOUT_FILENO) == 1);
        return session.run();
    } catch (const UnknownOutput& error) {
        console::line(stderr, std::string("vnplayer: ") + error.what());
        return 2;
    } catch (const std::exception& error) {
        console::line(stderr, std::string("vnplayer: ") + error.what());
        return 1;
    }
}

}  // namespace vornal

// vnplayer: the window by default, the terminal host with --tty.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "player/PlayerUsage.h"
#include "player/cli/MusicMain.h"
#include "player/tty/TtyMain.h"
#include "player/tty/TtyOptions.h"
#if VORNAL_WITH_WINDOW
#include "player/qt/WindowMain.h"
#endif

namespace {

bool hasOption(int argc, char** argv, const char* name, const char* alias = nullptr) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) break;
        if (std::strcmp(argv[i], name) == 0) return true;
        if (alias && std::strcmp(argv[i], alias) == 0) return true;
    }
    return false;
}

[[maybe_unused]] bool envSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

int main(int argc, char** argv) {
    if (hasOption(argc, argv, "--list-outputs")) return vornal::listOutputs();
    if (hasOption(argc, argv, "--music")) return vornal::runMusic(argc, argv);
    if (hasOption(argc, argv, "--tty")) return vornal::runTty(argc, argv);
    // Answered here so that they work without a display, before Qt looks for one.
    if (hasOption(argc, argv, "--help", "-h")) {
        std::fputs(vornal::kPlayerUsage, stdout);
        return 0;
    }
    if (hasOption(argc, argv, "--version")) {
        std::fputs(vornal::tty::ttyVersion().c_str(), stdout);
        return 0;
    }
#if VORNAL_WITH_WINDOW
    // Qt would abort with a message about platform plugins; say what the user can do.
    if (!envSet("DISPLAY") && !envSet("WAYLAND_DISPLAY") && !envSet("QT_QPA_PLATFORM") &&
        !hasOption(argc, argv, "-platform")) {
        std::fputs(
            "vnplayer: no display to open the window on (DISPLAY is not set); "
            "use vnplayer --tty GAME to play in the terminal\n",
            stderr);
        return 1;
    }
    return vornal::runWindow(argc, argv);
#else
    std::fputs("vnplayer: built without the window; use vnplayer --tty GAME\n", stderr);
    return 2;
#endif
}

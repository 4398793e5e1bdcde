// vnplayer: the window by default, the terminal host with --tty.
#include <cstdio>
#include <cstring>

#include "player/tty/TtyMain.h"
#if VORNAL_WITH_WINDOW
#include "player/qt/WindowMain.h"
#endif

namespace {

bool wantsTerminal(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) break;
        if (std::strcmp(argv[i], "--tty") == 0) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
#if VORNAL_WITH_WINDOW
    if (!wantsTerminal(argc, argv)) return vornal::runWindow(argc, argv);
#else
    if (!wantsTerminal(argc, argv)) {
        std::fputs("vnplayer: built without the window; use --tty GAME\n", stderr);
        return 2;
    }
#endif
    return vornal::runTty(argc, argv);
}

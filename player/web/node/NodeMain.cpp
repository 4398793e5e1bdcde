// vnplayer.js: vnplayer --tty in WebAssembly under node (docs/web.md). The terminal host is
// the desktop's own; node_wait.js gives it a poll() that keeps its timeout and a standard
// input that can be waited for, and runs the music's timers while the player waits.
#include "player/tty/TtyMain.h"

int main(int argc, char** argv) {
    return vornal::runTty(argc, argv);
}

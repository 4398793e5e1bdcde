// vnpack: the pack tool. With a subcommand it works on the command line; alone or with
// "gui", and given a display, it opens its window.
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "packer/VnpackCli.h"
#if VORNAL_WITH_WINDOW
#include "packer/qt/PackWindowMain.h"
#endif

#if VORNAL_WITH_WINDOW
namespace {

bool envSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt would abort without a platform to show the window on.
bool hasDisplay(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "-platform") return true;
    }
    return envSet("DISPLAY") || envSet("WAYLAND_DISPLAY") || envSet("QT_QPA_PLATFORM");
}

}  // namespace
#endif

int main(int argc, char** argv) {
    using namespace vornal::pack;
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool gui = !args.empty() && args.front() == "gui";
    if (gui && WantsHelp(std::span(args).subspan(1))) return RunVnpack(args, stdout, stderr);
#if VORNAL_WITH_WINDOW
    // Without a display, vnpack alone explains its usage as it always did.
    if ((args.empty() || gui) && hasDisplay(args)) return RunPackWindow(argc, argv);
    if (gui) {
        std::fputs(
            "vnpack: no display to open the window on (DISPLAY is not set); "
            "use vnpack create to pack on the command line\n",
            stderr);
        return kExitFailure;
    }
#else
    if (gui) {
        std::fputs("vnpack: built without the window; use vnpack create\n", stderr);
        return kExitUsage;
    }
#endif
    return RunVnpack(args, stdout, stderr);
}

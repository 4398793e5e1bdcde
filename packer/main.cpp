// vnpack: the pack tool. With a subcommand it works on the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "packer/VnpackCli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return vornal::pack::RunVnpack(args, stdout, stderr);
}

// vnpack test [--encoding E] [--seed N] GAME WALKTHROUGH (docs/walkthrough.md): exit 0
// when every expectation holds, 1 at the first that fails (reported on `out` with the
// walkthrough's line and what the game showed), 2 for a wrong command line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "packer/VnpackCli.h"

namespace vornal::pack {

// Walkthroughs are read whole; this is plenty for any game.
inline constexpr std::int64_t kMaxWalkthroughBytes = std::int64_t{16} << 20;

int RunTest(std::span<const std::string> args, std::FILE* out, std::FILE* err);

}  // namespace vornal::pack

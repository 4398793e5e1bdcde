// What the fuzz targets that drive an engine share: a failed check, idle steps run as an
// event loop would (a bounded number), and the picture limits they decode under.
#pragma once

#include <cstdlib>

#include "fuzz/QuietHost.h"
#include "player/core/Engine.h"
#include "player/media/PictureFiles.h"

namespace vornal::fuzz {

inline constexpr PictureLimits kFuzzPictureLimits{.maxSide = 2048, .maxPixels = 1 << 20};

inline void require(bool condition) {
    if (!condition) std::abort();
}

inline void settle(Engine& engine, QuietHost& host) {
    for (int i = 0; i < 64 && host.idleRequests > 0; ++i) {
        --host.idleRequests;
        engine.AppIdle();
    }
}

}  // namespace vornal::fuzz

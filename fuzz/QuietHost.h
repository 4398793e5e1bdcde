// A host that shows nothing and answers No, for fuzz targets and benchmarks that drive an engine.
#pragma once

#include <string>

#include "player/author/SilentHost.h"

namespace vornal::fuzz {

class QuietHost : public SilentHost {
public:
    int idleRequests = 0;
    std::string lastMessage;

    void showMessage(std::string_view text) override { lastMessage = text; }
    std::string askInput(std::string_view) override { return "7"; }
    void requestIdle() override { ++idleRequests; }
};

}  // namespace vornal::fuzz

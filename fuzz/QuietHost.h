// A host that shows nothing and answers No, for fuzz targets and benchmarks that drive an engine.
#pragma once

#include <string>

#include "player/core/Host.h"

namespace vornal::fuzz {

class QuietHost : public Host {
public:
    int idleRequests = 0;
    std::string lastMessage;

    void linesAppended(std::span<const std::string>) override {}
    void linesRemovedFromTop(std::size_t) override {}
    void messagesCleared() override {}
    void enableInput(bool) override {}
    void clearAndFocusInput() override {}
    void setCaption(std::string_view) override {}
    void setPictureAreaSize(int, int) override {}
    void pictureChanged() override {}
    void waitForSound(std::chrono::milliseconds) override {}
    void showMessage(std::string_view text) override { lastMessage = text; }
    bool askYesNo(std::string_view) override { return false; }
    std::string askInput(std::string_view) override { return "7"; }
    void setGameTimerEnabled(bool) override {}
    void requestIdle() override { ++idleRequests; }
};

}  // namespace vornal::fuzz

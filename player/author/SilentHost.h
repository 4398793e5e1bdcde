// A host that shows nothing, waits for nothing and answers No (and "0"): the base of the
// hosts that drive an engine without a player (probing an opening, walkthroughs, fuzzing,
// benchmarks), which override only what they look at.
#pragma once

#include <string>

#include "player/core/Host.h"

namespace vornal {

class SilentHost : public Host {
public:
    void linesAppended(std::span<const std::string>) override {}
    void linesRemovedFromTop(std::size_t) override {}
    void messagesCleared() override {}
    void enableInput(bool) override {}
    void clearAndFocusInput() override {}
    void setCaption(std::string_view) override {}
    void setPictureAreaSize(int, int) override {}
    void pictureChanged() override {}
    void waitForSound(std::chrono::milliseconds) override {}
    void showMessage(std::string_view) override {}
    bool askYesNo(std::string_view) override { return false; }
    std::string askInput(std::string_view) override { return "0"; }
    void setGameTimerEnabled(bool) override {}
    void requestIdle() override {}
};

}  // namespace vornal

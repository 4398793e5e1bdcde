// The engine's host in a browser page: every call goes to the page's JavaScript
// (PageBridge.h), with the game's Shift-JIS turned into UTF-8 on the way. The modal calls
// wait for the page's <dialog> or timer without blocking it (Asyncify suspends the engine).
#pragma once

#include "player/core/Engine.h"
#include "player/core/Host.h"

namespace vornal::page {

class PageHost final : public Host {
public:
    // The engine whose picture area pictureChanged() shows; set once it exists.
    void setEngine(const Engine* engine) { engine_ = engine; }

    void linesAppended(std::span<const std::string> lines) override;
    void linesRemovedFromTop(std::size_t count) override;
    void messagesCleared() override;
    void enableInput(bool enabled) override;
    void clearAndFocusInput() override;
    void setCaption(std::string_view text) override;
    void setPictureAreaSize(int width, int height) override;
    void pictureChanged() override;
    void showMessage(std::string_view text) override;
    void showMidiError(std::string_view text) override;
    bool askYesNo(std::string_view question) override;
    std::string askInput(std::string_view prompt) override;
    void setGameTimerEnabled(bool enabled) override;
    void requestIdle() override;
    // No other thread on the web: the music's news comes with the next idle call.
    void wakeFromAnyThread() override { requestIdle(); }
    void waitForSound(std::chrono::milliseconds length) override;
    void gameHalted(std::string_view reason) override;
    void traceEvent(std::string_view event, std::string_view detail) override;

private:
    const Engine* engine_ = nullptr;
};

}  // namespace vornal::page

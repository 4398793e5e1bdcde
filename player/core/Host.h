// What the engine asks of the window that shows it. The Qt window, the terminal host
// and the tests' stub host implement it. Keep it this short: every method added here
// has to be written three times.
//
// All text crossing this interface is the game's Shift-JIS bytes; hosts convert.
#pragma once

#include <chrono>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace vornal {

class Host {
public:
    virtual ~Host() = default;

    // The message area. The engine owns its lines (see Engine::Messages()); these
    // calls keep a view in step with them.
    virtual void linesAppended(std::span<const std::string> lines) = 0;
    virtual void linesRemovedFromTop(std::size_t count) = 0;
    virtual void messagesCleared() = 0;

    // The command line and its button, enabled and disabled together.
    virtual void enableInput(bool enabled) = 0;
    // Empties the command line and gives it the keyboard focus.
    virtual void clearAndFocusInput() = 0;

    // The window.
    virtual void setCaption(std::string_view text) = 0;
    // The picture area becomes width x height (the window grows around it).
    virtual void setPictureAreaSize(int width, int height) = 0;
    // The picture area's image changed (Engine::Picture()): show it again.
    virtual void pictureChanged() = 0;

    // Modal dialogs. A window host runs a nested event loop inside each; the engine
    // guards itself against being re-entered from there.
    virtual void showMessage(std::string_view text) = 0;
    // A music file that could not be read or played, in the box captioned "MIDI PLAY ERROR".
    virtual void showMidiError(std::string_view text) { showMessage(text); }
    // Yes/No box captioned "選択"; true for Yes.
    virtual bool askYesNo(std::string_view question) = 0;
    // Shows the input dialog once with its edit emptied; returns the edit's text
    // however the dialog was closed. The engine judges the answer and asks again.
    virtual std::string askInput(std::string_view prompt) = 0;

    // The 100 ms game timer; each tick calls Engine::GameTimerTimer().
    virtual void setGameTimerEnabled(bool enabled) = 0;
    // Work is pending: call Engine::AppIdle() soon, from the event loop, not from here.
    virtual void requestIdle() = 0;
    // The only call that may come from another thread (the music timer's): the engine has
    // news for the player (Engine::HasWork() turns true); call Engine::AppIdle() soon on
    // the host's own thread.
    virtual void wakeFromAnyThread() {}

    // A sound effect of `length` is playing: return when that time has passed. The pass
    // waits as it does in a modal dialog; a window keeps painting meanwhile.
    virtual void waitForSound(std::chrono::milliseconds length) = 0;

    // The game has stopped for good (a data file failed, runaway recursion): `reason` is
    // the message it showed. Said once, after the message; the window keeps a sign of it
    // until another game is opened, the terminal tells standard error.
    virtual void gameHalted(std::string_view reason) { (void)reason; }

    // A window, media or save event, for tracing (the terminal host's --trace).
    // `event` is a short ASCII word ("picture", "sound", "music", "wait", ...),
    // `detail` the command's line or value in Shift-JIS.
    virtual void traceEvent(std::string_view event, std::string_view detail) {
        (void)event;
        (void)detail;
    }
};

}  // namespace vornal

// vnplayer-page: the player in a browser page (docs/web.md). The page's JavaScript
// (site/engine.js) starts it, puts the game's files into emscripten's memory file system,
// and calls these functions from its event loop, one at a time; the engine answers through
// PageHost. The calls marked "may wait" can suspend while a dialog is open or a sound plays.
#include <emscripten.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "common/SjisText.h"
#include "player/core/Engine.h"
#include "player/media/PictureFiles.h"
#include "player/music/DrivenTimebase.h"
#include "player/music/Music.h"
#include "player/web/page/PageBridge.h"
#include "player/web/page/PageHost.h"
#include "player/web/page/PageMusic.h"
#include "player/web/page/PageSound.h"

namespace vornal::page {
namespace {

class Player {
public:
    explicit Player(int sampleRate)
        : sound_(sampleRate),
          music_(std::make_unique<PageMusicOutput>(), makeTimebase()),
          engine_(host_, MediaServices{&pictures_, &sound_, &music_}) {
        host_.setEngine(&engine_);
    }

    Engine& engine() { return engine_; }
    // Makes the music's timer calls that are due; the music clock's time of the next one,
    // or -1 when no music plays.
    double stepMusic() {
        const std::optional<std::int64_t> next = timebase_->runDue();
        return next ? static_cast<double>(*next) : -1.0;
    }
    void setMuted(bool muted) {
        music_.SetMuted(muted);
        sound_.setMuted(muted);
    }
    // Takes the last typed command back; its text (UTF-8) stays for the page to read.
    bool undo() {
        const std::optional<std::string> typed = engine_.Undo();
        if (!typed) return false;
        undone_ = sjis::toUtf8(*typed);
        return true;
    }
    const std::string& undone() const { return undone_; }

    // What the window shows in a box when a call into the engine fails.
    void report(const char* what, const std::exception& error) {
        const std::string text = std::string(what) + ": " + error.what();
        vornal_js_show_message(text.c_str(), 0);
    }

private:
    std::unique_ptr<Timebase> makeTimebase() {
        auto timebase = std::make_unique<DrivenTimebase>(MusicClockMicros);
        timebase_ = timebase.get();
        return timebase;
    }

    PageHost host_;
    PictureFiles pictures_;
    PageSound sound_;
    DrivenTimebase* timebase_ = nullptr;  // the music's
    Music music_;
    Engine engine_;
    std::string undone_;
};

std::unique_ptr<Player> gPlayer;

}  // namespace
}  // namespace vornal::page

using vornal::page::gPlayer;

extern "C" {

EMSCRIPTEN_KEEPALIVE void vornal_page_start(int sampleRate) {
    gPlayer = std::make_unique<vornal::page::Player>(sampleRate);
}

// May wait. 1 when the game opened.
EMSCRIPTEN_KEEPALIVE int vornal_page_open(const char* path) {
    try {
        return gPlayer->engine().OpenScript(path) ? 1 : 0;
    } catch (const std::exception& error) {
        gPlayer->report(path, error);
        return 0;
    }
}

EMSCRIPTEN_KEEPALIVE void vornal_page_input(const char* utf8) {
    try {
        gPlayer->engine().ProcessInput(vornal::sjis::fromUtf8(utf8));
    } catch (const std::exception& error) {
        gPlayer->report((std::string("> ") + utf8).c_str(), error);
    }
}

// May wait. Not retried after a failure: a typed command or another game starts anew.
EMSCRIPTEN_KEEPALIVE void vornal_page_idle() {
    try {
        gPlayer->engine().AppIdle();
    } catch (const std::exception& error) {
        gPlayer->report("AppIdle", error);
        return;
    }
    if (gPlayer->engine().HasWork()) vornal_js_request_idle();
}

// May wait (a failure's box).
EMSCRIPTEN_KEEPALIVE void vornal_page_tick() {
    try {
        gPlayer->engine().GameTimerTimer();
    } catch (const std::exception& error) {
        vornal_js_game_timer(0);
        gPlayer->report("GameTimer", error);
    }
}

EMSCRIPTEN_KEEPALIVE double vornal_page_music_step() {
    return gPlayer->stepMusic();
}

EMSCRIPTEN_KEEPALIVE void vornal_page_set_muted(int muted) {
    gPlayer->setMuted(muted != 0);
}

// May wait (a song's error box, as after *LOAD). 1 when a command was taken back; its text
// is then vornal_page_undone()'s. 0 when there is none, or a pass is under way.
EMSCRIPTEN_KEEPALIVE int vornal_page_undo() {
    try {
        return gPlayer->undo() ? 1 : 0;
    } catch (const std::exception& error) {
        gPlayer->report("Undo", error);
        return 0;
    }
}

EMSCRIPTEN_KEEPALIVE const char* vornal_page_undone() {
    return gPlayer->undone().c_str();
}

}  // extern "C"

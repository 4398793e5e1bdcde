// The page's side of PageBridge.h, linked into vnplayer-page.js (--js-library): each call is
// handed to the object the page gave the module as `vornalPage` (site/engine.js). The
// waiting calls suspend the engine with Asyncify until the page's promise settles.
mergeInto(LibraryManager.library, {
  vornal_js_line: function (text, size) {
    Module.vornalPage.line(HEAPU8.subarray(text, text + size));
  },
  vornal_js_lines_removed: function (count) {
    Module.vornalPage.linesRemoved(count);
  },
  vornal_js_lines_cleared: function () {
    Module.vornalPage.linesCleared();
  },
  vornal_js_enable_input: function (enabled) {
    Module.vornalPage.enableInput(enabled !== 0);
  },
  vornal_js_clear_input: function () {
    Module.vornalPage.clearInput();
  },
  vornal_js_caption: function (text) {
    Module.vornalPage.caption(UTF8ToString(text));
  },
  vornal_js_picture_area: function (width, height) {
    Module.vornalPage.pictureArea(width, height);
  },
  vornal_js_picture: function (pixels, width, height) {
    Module.vornalPage.picture(HEAPU32.subarray(pixels >> 2, (pixels >> 2) + width * height),
                              width, height);
  },
  vornal_js_show_message: function (text, kind) {
    return Asyncify.handleSleep(function (wakeUp) {
      Module.vornalPage.showMessage(UTF8ToString(text), kind).then(function () { wakeUp(0); });
    });
  },
  vornal_js_ask_yes_no: function (question) {
    return Asyncify.handleSleep(function (wakeUp) {
      Module.vornalPage.askYesNo(UTF8ToString(question)).then(function (yes) {
        wakeUp(yes ? 1 : 0);
      });
    });
  },
  vornal_js_ask_input: function (prompt) {
    return Asyncify.handleSleep(function (wakeUp) {
      Module.vornalPage.askInput(UTF8ToString(prompt)).then(function (answer) {
        wakeUp(allocateUTF8(answer));
      });
    });
  },
  vornal_js_wait_sound: function (milliseconds) {
    return Asyncify.handleSleep(function (wakeUp) {
      Module.vornalPage.waitSound(milliseconds).then(function () { wakeUp(0); });
    });
  },
  vornal_js_game_timer: function (enabled) {
    Module.vornalPage.gameTimer(enabled !== 0);
  },
  vornal_js_request_idle: function () {
    Module.vornalPage.requestIdle();
  },
  vornal_js_halted: function (reason) {
    Module.vornalPage.halted(UTF8ToString(reason));
  },
  vornal_js_trace: function (event, detail) {
    Module.vornalPage.trace(UTF8ToString(event), UTF8ToString(detail));
  },
  vornal_js_sound_play: function (frames, count) {
    return Module.vornalPage.playSound(HEAPF32.subarray(frames >> 2, (frames >> 2) + count * 2))
        ? 1 : 0;
  },
  vornal_js_sound_stop: function () {
    Module.vornalPage.stopSound();
  },
  vornal_js_music_now: function () {
    return Module.vornalPage.musicNow();
  },
  vornal_js_music_short: function (message, due) {
    Module.vornalPage.musicMessage([message & 0xff, (message >> 8) & 0xff, (message >> 16) & 0xff],
                                   due);
  },
  vornal_js_music_long: function (bytes, size, due) {
    Module.vornalPage.musicMessage(Array.from(HEAPU8.subarray(bytes, bytes + size)), due);
  },
  vornal_js_music_reset: function (at) {
    Module.vornalPage.musicReset(at);
  },
  vornal_js_music_gain: function (gain) {
    Module.vornalPage.musicGain(gain);
  },
});

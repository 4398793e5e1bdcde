// What the page's C++ asks of its JavaScript (page_bridge.js, which hands each call to the
// page's own code, site/engine.js). Text is UTF-8. The four calls marked "waits" suspend the
// engine's call stack (emscripten's Asyncify) until the page answers: the engine's modal
// questions and sound waits block as they do on the desktop, while the page goes on.
#pragma once

#include <cstdint>

extern "C" {

// The message area.
void vornal_js_line(const char* text, int size);  // one line appended
void vornal_js_lines_removed(int count);
void vornal_js_lines_cleared();
// The command line, the caption, the picture area.
void vornal_js_enable_input(int enabled);
void vornal_js_clear_input();
void vornal_js_caption(const char* text);
void vornal_js_picture_area(int width, int height);
// 0x00RRGGBB pixels, rows from the top; width 0 when nothing was drawn yet.
void vornal_js_picture(const std::uint32_t* pixels, int width, int height);
// Waits: the box with OK; `kind` 0 is the game's box, 1 the music's ("MIDI PLAY ERROR").
void vornal_js_show_message(const char* text, int kind);
// Waits: 1 for Yes.
int vornal_js_ask_yes_no(const char* question);
// Waits: the answer, UTF-8 in memory from malloc() that the caller frees.
char* vornal_js_ask_input(const char* prompt);
// Waits for `milliseconds`.
void vornal_js_wait_sound(int milliseconds);
void vornal_js_game_timer(int enabled);
void vornal_js_request_idle();
void vornal_js_halted(const char* reason);
void vornal_js_trace(const char* event, const char* detail);

// Sound effects: interleaved stereo floats at the rate the page started the engine with;
// returns 0 when they cannot be heard now (audio not started yet).
int vornal_js_sound_play(const float* frames, int count);
void vornal_js_sound_stop();

// The music: the clock (microseconds, never back) and the synthesizer's messages, each
// stamped with the music clock's time at which it became due.
double vornal_js_music_now();
void vornal_js_music_short(std::uint32_t message, double dueMicros);
void vornal_js_music_long(const std::uint8_t* bytes, int size, double dueMicros);
void vornal_js_music_reset(double atMicros);
void vornal_js_music_gain(double gain);
}

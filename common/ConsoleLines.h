// Whole lines on standard output and standard error from any thread of a program. The
// music's log (its timer thread), the game's transcript and the messages share one
// terminal; each line goes out whole, never spliced with another thread's.
//
// Every writer of the program takes one lock for each line and hands the whole line,
// line end included, to stdio in one call. Before anything goes to standard error,
// standard output is flushed under the same lock: its buffer may end inside a line, and
// an error must not land there when both reach one terminal or file.
#pragma once

#include <cstdio>
#include <string_view>

namespace vornal::console {

// Writes `text` and a line feed to `stream` as one piece.
void line(std::FILE* stream, std::string_view text);
// As line(), then flushes `stream`: for lines someone watches as they come.
void lineNow(std::FILE* stream, std::string_view text);
// Writes `text` as it is (a terminal control sequence, text that holds its own line ends).
void raw(std::FILE* stream, std::string_view text);
// Flushes `stream` under the lock.
void flush(std::FILE* stream);

}  // namespace vornal::console

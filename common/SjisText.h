// Conversion between the games' Shift-JIS (Windows code page 932) and UTF-8.
// The engine keeps Shift-JIS bytes; only the edges (screen, terminal, file names) convert.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vornal::sjis {

// Bytes that are not valid code page 932 become U+FFFD.
std::string toUtf8(std::string_view sjis);
// Characters that code page 932 cannot hold (or invalid UTF-8) become '?'.
std::string fromUtf8(std::string_view utf8);
// As fromUtf8, but nullopt when any character cannot be held.
std::optional<std::string> fromUtf8Strict(std::string_view utf8);

// The first byte of a double-byte character; the byte after it is its second byte, which
// may look like an ASCII letter or a backslash.
constexpr bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// ASCII a-z to A-Z, every other byte unchanged; the second byte of a double-byte
// character is left alone even when it falls in the ASCII letter range.
std::string upperAscii(std::string_view sjis);

}  // namespace vornal::sjis

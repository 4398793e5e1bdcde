// The one rule for the lines of a script, shared by the engine and the encoding check so
// that both count lines alike: CR, LF and CR LF each end a line, and the last line may
// have no end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vornal {

// Calls `each(line, terminator)` for every line; `terminator` is empty for a last line
// without an end.
template <typename Each>
void ForEachScriptLine(std::span<const std::uint8_t> text, Each each) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        const std::size_t end =
            text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? i + 2 : i + 1;
        each(text.subspan(start, i - start), text.subspan(i, end - i));
        start = end;
        i = end - 1;
    }
    if (start < text.size()) each(text.subspan(start), text.subspan(text.size()));
}

}  // namespace vornal

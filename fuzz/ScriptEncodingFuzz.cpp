// Input: any bytes. Read as a script in each encoding (the conversion keeps every line
// where it was, whatever it replaces) and as a walkthrough (refused or read, never more).
#include <cstdint>
#include <cstdlib>
#include <span>

#include "common/ScriptEncoding.h"
#include "player/author/Walkthrough.h"
#include "player/core/ScriptText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> text(data, size);
    const std::size_t lines = vornal::SplitScriptLines(text).size();
    for (auto forced :
         {std::optional<vornal::ScriptEncoding>{}, std::optional(vornal::ScriptEncoding::Utf8),
          std::optional(vornal::ScriptEncoding::ShiftJis)}) {
        const vornal::DecodedScript decoded = vornal::DecodeScript(text, forced, true, 1000);
        if (vornal::SplitScriptLines(decoded.bytes).size() != lines) std::abort();
        for (const vornal::EncodingProblem& problem : decoded.problems) {
            if (problem.line < 0 || static_cast<std::size_t>(problem.line) >= lines) std::abort();
        }
    }
    try {
        vornal::ParseWalkthrough(text);
    } catch (const vornal::WalkthroughError&) {
    }
    return 0;
}

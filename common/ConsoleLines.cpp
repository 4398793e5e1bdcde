#include "common/ConsoleLines.h"

#include <mutex>
#include <string>

namespace vornal::console {

namespace {

std::mutex& outputLock() {
    static std::mutex lock;
    return lock;
}

void put(std::FILE* stream, std::string_view text, bool flushAfter) {
    std::lock_guard lock(outputLock());
    if (stream == stderr) std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stream);
    if (flushAfter) std::fflush(stream);
}

std::string withLineEnd(std::string_view text) {
    std::string whole;
    whole.reserve(text.size() + 1);
    whole.append(text).push_back('\n');
    return whole;
}

}  // namespace

void line(std::FILE* stream, std::string_view text) {
    put(stream, withLineEnd(text), false);
}

void lineNow(std::FILE* stream, std::string_view text) {
    put(stream, withLineEnd(text), true);
}

void raw(std::FILE* stream, std::string_view text) {
    put(stream, text, false);
}

void flush(std::FILE* stream) {
    std::lock_guard lock(outputLock());
    std::fflush(stream);
}

}  // namespace vornal::console

#include "common/SjisText.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace vornal::sjis {

namespace {

// CP932 rather than SHIFT_JIS: the latter refuses the NEC and IBM extensions of Windows text.
constexpr const char* kCodePage = "CP932";

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

IconvHandle openConverter(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    return IconvHandle(cd);
}

// Length of the character at `p`: a whole sequence when it is well formed (a
// character the code page lacks), else one byte (broken UTF-8).
std::size_t utf8SequenceLength(const char* p, std::size_t left) {
    auto lead = static_cast<unsigned char>(*p);
    std::size_t n = (lead & 0xE0) == 0xC0   ? 2
                    : (lead & 0xF0) == 0xE0 ? 3
                    : (lead & 0xF8) == 0xF0 ? 4
                                            : 1;
    if (n > left) return 1;
    for (std::size_t i = 1; i < n; ++i) {
        if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) return 1;
    }
    return n;
}

// Converts `in`; on an unconvertible sequence appends `replacement`, skips the
// sequence (its length given by `skip`) and carries on. Returns false if any was replaced.
template <typename Skip>
bool convert(iconv_t cd, std::string_view in, std::string& out, std::string_view replacement,
             Skip skip) {
    bool clean = true;
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (cut short at the end): replace and resynchronise.
        clean = false;
        out.append(replacement);
        std::size_t n = std::min(skip(src, srcLeft), srcLeft);
        src += n;
        srcLeft -= n;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return clean;
}

}  // namespace

std::string toUtf8(std::string_view sjis) {
    // Plain ASCII needs no converter; most script lines of English games are.
    bool ascii = true;
    for (char c : sjis)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::string(sjis);
    thread_local IconvHandle cd = openConverter("UTF-8", kCodePage);
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    convert(cd.get(), sjis, out, "\xEF\xBF\xBD",
            [](const char*, std::size_t) { return std::size_t{1}; });
    return out;
}

namespace {
std::optional<std::string> fromUtf8Impl(std::string_view utf8, bool strict) {
    thread_local IconvHandle cd = openConverter(kCodePage, "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    bool clean = convert(cd.get(), utf8, out, "?", utf8SequenceLength);
    if (strict && !clean) return std::nullopt;
    return out;
}
}  // namespace

std::string fromUtf8(std::string_view utf8) {
    return *fromUtf8Impl(utf8, false);
}

std::optional<std::string> fromUtf8Strict(std::string_view utf8) {
    return fromUtf8Impl(utf8, true);
}

std::string upperAscii(std::string_view sjis) {
    std::string out(sjis);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (isLeadByte(c)) {
            ++i;  // the trail byte may look like a letter; it is not one
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

}  // namespace vornal::sjis

// The code page table against glibc's own CP932 converter, the conversion the player used
// before the table: every one- and two-byte string, every code point, malformed UTF-8 and
// random mixtures must come out byte for byte the same, replacements included.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <memory>
#include <random>

#include "common/SjisText.h"

namespace vornal::sjis {
namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

IconvHandle openConverter(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) ADD_FAILURE() << "iconv cannot convert " << from;
    return IconvHandle(cd);
}

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

// iconv over the whole input; an unconvertible sequence becomes `replacement` and is skipped
// (`skip` bytes). nullopt in place of the text when `strict` and anything was replaced.
template <typename Skip>
std::optional<std::string> glibc(iconv_t cd, std::string_view in, std::string_view replacement,
                                 Skip skip, bool strict = false) {
    bool clean = true;
    std::string out;
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        clean = false;
        out.append(replacement);
        std::size_t n = std::min(skip(src, srcLeft), srcLeft);
        src += n;
        srcLeft -= n;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    if (strict && !clean) return std::nullopt;
    return out;
}

struct Glibc {
    IconvHandle toUnicode = openConverter("UTF-8", "CP932");
    IconvHandle fromUnicode = openConverter("CP932", "UTF-8");

    std::string toUtf8(std::string_view sjis) const {
        return *glibc(toUnicode.get(), sjis, "\xEF\xBF\xBD",
                      [](const char*, std::size_t) { return std::size_t{1}; });
    }
    std::optional<std::string> fromUtf8(std::string_view utf8, bool strict) const {
        return glibc(fromUnicode.get(), utf8, "?", utf8SequenceLength, strict);
    }
};

std::string utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
        s += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    } else {
        s += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
              static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    return s;
}

void expectSameFromUtf8(const Glibc& g, const std::string& utf8, int& failures) {
    if (failures > 20) return;
    const bool same = fromUtf8(utf8) == *g.fromUtf8(utf8, false) &&
                      fromUtf8Strict(utf8) == g.fromUtf8(utf8, true);
    if (!same) {
        ++failures;
        ADD_FAILURE() << "from UTF-8 differs for " << ::testing::PrintToString(utf8);
    }
}

TEST(SjisTable, EveryOneAndTwoByteStringAsGlibc) {
    const Glibc g;
    int failures = 0;
    for (unsigned first = 0; first < 0x100 && failures < 20; ++first) {
        for (int second = -1; second < 0x100; ++second) {
            std::string sjis(1, static_cast<char>(first));
            if (second >= 0) sjis += static_cast<char>(second);
            if (toUtf8(sjis) != g.toUtf8(sjis)) {
                ++failures;
                ADD_FAILURE() << "to UTF-8 differs for " << ::testing::PrintToString(sjis);
            }
        }
    }
}

TEST(SjisTable, EveryCodePointAsGlibc) {
    const Glibc g;
    int failures = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        expectSameFromUtf8(g, utf8Of(c) + "a", failures);
    }
}

TEST(SjisTable, MalformedUtf8AsGlibc) {
    const Glibc g;
    int failures = 0;
    // Every byte pair, and lead bytes of every length with continuations that run out,
    // break off, or encode overlong forms, surrogates and values beyond U+10FFFF.
    for (unsigned a = 0x80; a < 0x100; ++a) {
        for (unsigned b = 0; b < 0x100; ++b)
            expectSameFromUtf8(g, {static_cast<char>(a), static_cast<char>(b)}, failures);
    }
    const unsigned char pieces[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F,
                                    0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0,
                                    0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xF8, 0xFF};
    for (const unsigned char a : {0xE0, 0xE3, 0xED, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xF7}) {
        for (const unsigned char b : pieces) {
            for (const unsigned char c : pieces) {
                for (const unsigned char d : pieces) {
                    expectSameFromUtf8(g,
                                       {static_cast<char>(a), static_cast<char>(b),
                                        static_cast<char>(c), static_cast<char>(d)},
                                       failures);
                }
            }
        }
    }
}

TEST(SjisTable, RandomMixturesAsGlibc) {
    const Glibc g;
    std::mt19937 random(932);
    // Bytes of every kind: ASCII, lead and trail bytes, half-width katakana, bytes that are
    // never valid.
    const unsigned char bytes[] = {0x00, 0x0A, 0x41, 0x5C, 0x7E, 0x7F, 0x80, 0x81, 0x82, 0x87,
                                   0x88, 0x9F, 0xA0, 0xA1, 0xDF, 0xE0, 0xEA, 0xED, 0xEE, 0xFA,
                                   0xFC, 0xFD, 0xFF, 0x40, 0x60, 0xBF, 0xA4, 0x96};
    int failures = 0;
    for (int i = 0; i < 200000 && failures < 20; ++i) {
        std::string s(random() % 9, '\0');
        for (char& c : s)
            c = static_cast<char>(bytes[random() % std::size(bytes)]);
        if (toUtf8(s) != g.toUtf8(s)) {
            ++failures;
            ADD_FAILURE() << "to UTF-8 differs for " << ::testing::PrintToString(s);
        }
        expectSameFromUtf8(g, s, failures);
        // And the text as UTF-8 goes back through both.
        expectSameFromUtf8(g, toUtf8(s), failures);
    }
}

}  // namespace
}  // namespace vornal::sjis

#include "bench/CodecCorpus.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>

#include "common/SjisText.h"

namespace vornal::bench {

namespace {

void putLe(std::vector<Byte>& v, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        v.push_back(static_cast<Byte>(value >> (8 * i)));
}

void putBe(std::vector<Byte>& v, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        v.push_back(static_cast<Byte>(value >> (8 * i)));
}

// Story lines are put together from pieces so that the text repeats about as much as a
// real script does: words and turns of phrase, not whole sentences.
std::vector<Byte> script(std::mt19937& rng) {
    const char* const who[] = {"私は",     "彼女は", "老人は", "少年が",   "猫が", "誰かが",
                               "あなたは", "美咲は", "健太は", "管理人が", "影が", "声が"};
    const char* const where[] = {"薄暗い部屋で",   "廊下の奥で",   "窓のそばで", "古い井戸の前で",
                                 "階段の下で",     "庭の片隅で",   "書斎の中で", "雨の中で",
                                 "月明かりの下で", "扉の向こうで", "屋根裏で",   "地下室で"};
    const char* const what[] = {"小さな鍵を",   "古びた手紙を",   "壊れた時計を", "赤い箱を",
                                "一枚の写真を", "錆びたナイフを", "白い花を",     "黒い本を",
                                "銀の指輪を",   "地図の切れ端を", "蝋燭を",       "日記を"};
    const char* const did[] = {"見つけた",         "じっと見つめていた", "拾い上げた", "隠した",
                               "落としてしまった", "探している",         "握りしめた", "差し出した",
                               "燃やした",         "開けようとした"};
    const char* const end[] = {"。",   "ようだ。",   "らしい。",   "のだろうか。",
                               "……。", "気がする。", "と呟いた。", "。\r\n「どうして？」"};
    const char* const scenes[] = {"ROOM", "HALL", "GARDEN", "CELLAR", "ATTIC", "STUDY", "WELL"};
    auto pick = [&](const auto& list) { return std::string(list[rng() % std::size(list)]); };
    auto line = [&] { return pick(who) + pick(where) + pick(what) + pick(did) + pick(end); };
    std::string utf8;
    for (int scene = 0; utf8.size() < 240000; ++scene) {
        std::string name = pick(scenes) + std::to_string(scene);
        utf8 += "*SCENE " + name + "\r\n*PICTURE " + name + ".BMP\r\n";
        for (int i = 0, n = 3 + static_cast<int>(rng() % 6); i < n; ++i)
            utf8 += line() + "\r\n";
        utf8 += ">見る/" + pick(what) + "/LOOK\r\n" + line() + "\r\n*END\r\n";
        utf8 += ">開ける/扉/OPEN DOOR\r\n*IF F(" + std::to_string(rng() % 500) +
                ")=" + std::to_string(rng() % 4) + " *GOTO " + pick(scenes) +
                std::to_string(rng() % 400) + "\r\n" + line() + "\r\n*END\r\n";
        utf8 += ">取る/" + pick(what) + "\r\n*ITEM ITEM" + std::to_string(rng() % 60) + " 1\r\n";
        utf8 += "*SE SE" + std::to_string(rng() % 30) + ".WAV\r\n" + line() +
                "\r\n*END\r\n*SCENEEND\r\n\r\n";
    }
    std::string sjis = sjis::fromUtf8(utf8);
    return {sjis.begin(), sjis.end()};
}

// A picture like a background: soft gradients, a few shapes and a little sensor noise.
std::vector<Byte> rgbPicture(int width, int height, std::mt19937& rng) {
    std::normal_distribution<double> noise(0.0, 1.5);
    std::vector<Byte> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double r = 90 + 80 * std::sin(x * 0.01) + 40 * (double(y) / height);
            double g = 110 + 60 * std::cos(y * 0.013) - 30 * (double(x) / width);
            double b = 150 + 50 * std::sin((x + y) * 0.007);
            double dx = x - width * 0.6, dy = y - height * 0.4;
            if (dx * dx + dy * dy < width * width / 25.0) r = 230, g = 210, b = 120;
            if (x > width / 8 && x < width / 3 && y > height / 2) r = 70, g = 50, b = 40;
            auto* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            p[0] = static_cast<Byte>(std::clamp(r + noise(rng), 0.0, 255.0));
            p[1] = static_cast<Byte>(std::clamp(g + noise(rng), 0.0, 255.0));
            p[2] = static_cast<Byte>(std::clamp(b + noise(rng), 0.0, 255.0));
        }
    }
    return rgb;
}

std::vector<Byte> bmp(int width, int height, int bits, const std::vector<Byte>& pixels,
                      const std::vector<Byte>& palette) {
    int rowBytes = (width * bits / 8 + 3) & ~3;
    auto offset = static_cast<std::uint32_t>(54 + palette.size());
    std::vector<Byte> v{'B', 'M'};
    putLe(v, offset + static_cast<std::uint32_t>(rowBytes * height), 4);
    putLe(v, 0, 4);
    putLe(v, offset, 4);
    putLe(v, 40, 4);
    putLe(v, static_cast<std::uint32_t>(width), 4);
    putLe(v, static_cast<std::uint32_t>(height), 4);
    putLe(v, 1, 2);
    putLe(v, static_cast<std::uint32_t>(bits), 2);
    for (int i = 0; i < 6; ++i)
        putLe(v, 0, 4);
    v.insert(v.end(), palette.begin(), palette.end());
    int pixelBytes = bits / 8;
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Byte* p = &pixels[(static_cast<std::size_t>(y) * width + x) * pixelBytes];
            if (pixelBytes == 3) {
                v.insert(v.end(), {p[2], p[1], p[0]});  // BGR
            } else {
                v.push_back(p[0]);
            }
        }
        v.insert(v.end(), static_cast<std::size_t>(rowBytes - width * pixelBytes), 0);
    }
    return v;
}

// An 8-bit picture with flat areas and an ordered-dither gradient sky.
std::vector<Byte> palettePicture(int width, int height) {
    std::vector<Byte> palette;
    for (int i = 0; i < 256; ++i)
        putLe(palette, static_cast<std::uint32_t>(i * 0x010101), 4);
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::vector<Byte> idx(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int v;
            if (y < height / 3) {
                int level = y * 48 / (height / 3);
                v = 16 + level / 4 + (bayer[y % 4][x % 4] < (level % 4) * 4 ? 1 : 0);
            } else if ((x / 40 + y / 30) % 5 == 0) {
                v = 100 + (x / 40) % 7;
            } else {
                v = 200 + (y * 3 / height);
            }
            idx[static_cast<std::size_t>(y) * width + x] = static_cast<Byte>(v);
        }
    }
    return bmp(width, height, 8, idx, palette);
}

std::vector<Byte> wav(std::mt19937& rng) {
    const int rate = 22050, seconds = 4;
    std::normal_distribution<double> noise(0.0, 200.0);
    std::vector<Byte> samples;
    for (int i = 0; i < rate * seconds; ++i) {
        double t = double(i) / rate;
        double env = std::exp(-3.0 * std::fmod(t, 0.5));
        double s =
            env * (6000 * std::sin(2 * M_PI * 440 * t) + 3000 * std::sin(2 * M_PI * 660 * t)) +
            noise(rng);
        putLe(
            samples,
            static_cast<std::uint16_t>(static_cast<std::int16_t>(std::clamp(s, -32768.0, 32767.0))),
            2);
    }
    std::vector<Byte> v{'R', 'I', 'F', 'F'};
    putLe(v, static_cast<std::uint32_t>(36 + samples.size()), 4);
    v.insert(v.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLe(v, 16, 4);
    putLe(v, 1, 2);  // PCM
    putLe(v, 1, 2);  // mono
    putLe(v, rate, 4);
    putLe(v, rate * 2, 4);
    putLe(v, 2, 2);
    putLe(v, 16, 2);
    v.insert(v.end(), {'d', 'a', 't', 'a'});
    putLe(v, static_cast<std::uint32_t>(samples.size()), 4);
    v.insert(v.end(), samples.begin(), samples.end());
    return v;
}

void putVarLen(std::vector<Byte>& v, std::uint32_t value) {
    Byte bytes[4];
    int n = 0;
    do {
        bytes[n++] = static_cast<Byte>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1)
        v.push_back(static_cast<Byte>(bytes[--n] | 0x80));
    v.push_back(bytes[0]);
}

std::vector<Byte> midi(std::mt19937& rng) {
    std::vector<Byte> v{'M', 'T', 'h', 'd'};
    putBe(v, 6, 4);
    putBe(v, 1, 2);  // format 1
    putBe(v, 4, 2);
    putBe(v, 480, 2);
    static const int scale[] = {0, 2, 4, 5, 7, 9, 11, 12};
    for (int track = 0; track < 4; ++track) {
        std::vector<Byte> t;
        if (track == 0) t.insert(t.end(), {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
        t.insert(t.end(), {0x00, static_cast<Byte>(0xC0 | track), static_cast<Byte>(track * 8)});
        int base = 48 + track * 7;
        std::vector<int> phrase(16);
        for (auto& n : phrase)
            n = base + scale[rng() % 8];
        for (int bar = 0; bar < 160; ++bar) {
            if (bar % 8 == 0) phrase[rng() % 16] = base + scale[rng() % 8];
            for (int i = 0; i < 16; ++i) {
                auto note = static_cast<Byte>(phrase[i]);
                putVarLen(t, 0);
                t.insert(t.end(), {static_cast<Byte>(0x90 | track), note,
                                   static_cast<Byte>(80 + rng() % 20)});
                putVarLen(t, 120);
                t.insert(t.end(), {static_cast<Byte>(0x80 | track), note, 0x40});
            }
        }
        t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
        v.insert(v.end(), {'M', 'T', 'r', 'k'});
        putBe(v, static_cast<std::uint32_t>(t.size()), 4);
        v.insert(v.end(), t.begin(), t.end());
    }
    return v;
}

std::vector<Byte> jpeg(const std::vector<Byte>& rgb, int width, int height) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row =
            const_cast<JSAMPROW>(&rgb[cinfo.next_scanline * static_cast<std::size_t>(width) * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::unique_ptr<unsigned char, decltype(&std::free)> owned(out, &std::free);
    return {out, out + size};
}

}  // namespace

std::vector<CorpusFile> makeCorpus() {
    std::mt19937 rng(20261207);
    std::vector<CorpusFile> files;
    files.push_back({"script.vns", script(rng)});
    auto rgb = rgbPicture(400, 300, rng);
    files.push_back({"picture24.bmp", bmp(400, 300, 24, rgb, {})});
    files.push_back({"picture8.bmp", palettePicture(640, 480)});
    files.push_back({"sound.wav", wav(rng)});
    files.push_back({"music.mid", midi(rng)});
    auto photo = rgbPicture(800, 600, rng);
    files.push_back({"photo.jpg", jpeg(photo, 800, 600)});
    std::vector<Byte> random(128 * 1024);
    for (auto& b : random)
        b = static_cast<Byte>(rng());
    files.push_back({"random.bin", std::move(random)});
    files.push_back({"zeros.bin", std::vector<Byte>(128 * 1024, 0)});
    return files;
}

}  // namespace vornal::bench

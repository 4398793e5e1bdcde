// A generated corpus of what game archives hold, for the codec benchmarks: every file is
// made here from a fixed seed, so runs compare like with like.
#pragma once

#include <string>
#include <vector>

#include "codec/Stream.h"

namespace vornal::bench {

struct CorpusFile {
    std::string name;
    std::vector<Byte> bytes;
};

// script.vns (Shift-JIS), picture24.bmp, picture8.bmp, sound.wav, music.mid, photo.jpg,
// random.bin, zeros.bin.
std::vector<CorpusFile> makeCorpus();

}  // namespace vornal::bench

// Writes the demo game's assets into a folder: MakeDemoAssets FOLDER
#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <fstream>

#include "DemoAssets.h"

namespace demo {

void writeFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace demo

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: MakeDemoAssets FOLDER\n", stderr);
        return 2;
    }
    // Painting needs a GUI application but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        demo::writePictures(folder);
        demo::writeSounds(folder);
        demo::writeMusic(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "MakeDemoAssets: %s\n", e.what());
        return 1;
    }
    return 0;
}

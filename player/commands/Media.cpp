// Getting the data files of *PICTURE, *SE and *BGM: from the open archive by upper-cased
// entry name, or from the game's folder.
#include <exception>
#include <system_error>

#include "codec/Archive.h"
#include "common/SjisText.h"
#include "player/core/DataFiles.h"
#include "player/core/EngineImpl.h"
#include "player/core/Texts.h"

namespace vornal {

void Engine::Impl::DataFileFailed(const std::string& name) {
    Halt(texts::DataReadFailed(name));
}

std::optional<std::vector<Byte>> Engine::Impl::GetDataFile(const std::string& name, DataKind kind) {
    if (ArchiveMode) {
        MemoryStream entry;
        std::uint8_t result = kArchiveNoEntry;
        try {
            result = ReadArchiveEntry(sjis::upperAscii(name), *ArchiveStream, entry);
        } catch (const std::exception&) {
            result = kArchiveNoEntry;  // a damaged archive: reported as the entry's failure
        }
        if (result != kArchiveFound) {
            DataFileFailed(name);
            return std::nullopt;
        }
        return entry.takeBytes();
    }
    // Pictures are looked up by file name alone; sounds and songs may sit in subfolders.
    const std::filesystem::path relative =
        DataFilePath(kind == DataKind::Picture ? FileNamePart(name) : std::string_view(name));
    const std::filesystem::path tried = DataPath / relative;
    const auto cannotOpen = [&] {
        Halt(texts::FileCannotOpen(sjis::fromUtf8(tried.string())));
        return std::nullopt;
    };
    const std::optional<std::filesystem::path> found = FindCaseBlind(DataPath, relative);
    std::error_code error;
    if (!found || !std::filesystem::is_regular_file(*found, error)) return cannotOpen();
    std::unique_ptr<FileStream> stream;
    try {
        stream = std::make_unique<FileStream>(*found, FileStream::Mode::read);
    } catch (const StreamError&) {
        return cannotOpen();
    }
    try {
        if (stream->size() <= kMaxDataFileBytes) {
            std::vector<Byte> bytes(static_cast<std::size_t>(stream->size()));
            stream->readExact(bytes);
            return bytes;
        }
    } catch (const StreamError&) {
    }
    // Too large to hold, or the read broke off.
    DataFileFailed(name);
    return std::nullopt;
}

void Engine::Impl::SetPictureAreaSize(int width, int height) {
    GrpImage.setAreaSize(width, height);
    host.setPictureAreaSize(width, height);
}

}  // namespace vornal

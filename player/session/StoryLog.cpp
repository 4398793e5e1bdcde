#include "player/session/StoryLog.h"

#include <ctime>

#include "codec/PendingFile.h"

namespace vornal::session {

void StoryLog::add(std::string_view utf8) {
    for (;;) {
        const std::size_t end = utf8.find_first_of("\r\n");
        keep(std::string(utf8.substr(0, end)));
        if (end == std::string_view::npos) return;
        utf8.remove_prefix(end + (utf8.compare(end, 2, "\r\n") == 0 ? 2 : 1));
    }
}

void StoryLog::keep(std::string line) {
    if (record_.is_open()) {
        record_ << line << '\n';
        record_.flush();
    }
    bytes_ += line.size();
    lines_.push_back(std::move(line));
    while (lines_.size() > kMaxLines || bytes_ > kMaxBytes) {
        bytes_ -= lines_.front().size();
        lines_.pop_front();
    }
}

std::string StoryLog::text() const {
    std::string all;
    all.reserve(bytes_ + lines_.size());
    for (const std::string& line : lines_) {
        all += line;
        all += '\n';
    }
    return all;
}

void StoryLog::saveTo(const std::filesystem::path& file) const {
    const std::string all = text();
    PendingFile pending(file);
    pending.stream().writeExact(std::span(reinterpret_cast<const Byte*>(all.data()), all.size()));
    pending.commit();
}

void StoryLog::startRecording(const std::filesystem::path& file, std::string_view heading) {
    stopRecording();
    std::filesystem::create_directories(file.parent_path());
    record_.exceptions(std::ios::failbit | std::ios::badbit);
    record_.open(file, std::ios::out | std::ios::app | std::ios::binary);
    record_.exceptions(std::ios::goodbit);
    record_ << heading << '\n';
    record_.flush();
}

void StoryLog::stopRecording() {
    if (record_.is_open()) record_.close();
    record_.clear();
}

std::filesystem::path StoryLog::recordFile(const std::filesystem::path& dataFolder,
                                           const std::string& stem) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    return dataFolder / "transcripts" / (stem + "-" + date + ".txt");
}

}  // namespace vornal::session

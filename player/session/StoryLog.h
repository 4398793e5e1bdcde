// The story so far: every line the message area showed, typed commands included (their
// echoes), beyond the area's own trimming and clearing, as UTF-8. It can be saved whole, and
// it can record as it goes into a file of the user's data folder, one file per game and
// day, appended to. Free of Qt.
#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace vornal::session {

class StoryLog {
public:
    // A session that prints without end must not eat memory: past either bound the oldest
    // lines go (a recording keeps everything).
    static constexpr std::size_t kMaxLines = 200'000;
    static constexpr std::size_t kMaxBytes = std::size_t{32} << 20;

    // One line of the message area; a line holding line breaks becomes several.
    void add(std::string_view utf8);
    const std::deque<std::string>& lines() const { return lines_; }
    // The whole story, each line ended by a line feed.
    std::string text() const;
    // Writes text() to `file` (through a temporary renamed over it); throws StreamError.
    void saveTo(const std::filesystem::path& file) const;

    // From now on every line is also appended to `file` (created with its folders), after a
    // line naming the session. Throws std::ios_base::failure or filesystem_error when it
    // cannot be opened.
    void startRecording(const std::filesystem::path& file, std::string_view heading);
    void stopRecording();
    bool recording() const { return record_.is_open(); }

    // `dataFolder`/transcripts/STEM-YYYY-MM-DD.txt for today's local date.
    static std::filesystem::path recordFile(const std::filesystem::path& dataFolder,
                                            const std::string& stem);

private:
    void keep(std::string line);

    std::deque<std::string> lines_;
    std::size_t bytes_ = 0;
    std::ofstream record_;
};

}  // namespace vornal::session

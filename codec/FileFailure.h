// A refusal by the system on a file: what was tried, on which file, and errno. Kept apart
// from the message so that the command-line tools can say it in English and the windows
// in Japanese, both naming the file.
#pragma once

#include <filesystem>
#include <string>

namespace vornal {

struct FileFailure {
    enum class Action { open, create, read, write, replace };
    Action action;
    std::filesystem::path file;
    int error;  // errno
};

// "cannot write 'FILE': No space left on device", the system's text in the C locale.
std::string EnglishText(const FileFailure& failure);

// "「FILE」に書き込めません（ディスクに空きがありません）" in UTF-8, with the reason from a
// table of the errors a user meets; others keep the system's English text.
std::string JapaneseText(const FileFailure& failure);
std::string JapaneseReason(int error);

}  // namespace vornal

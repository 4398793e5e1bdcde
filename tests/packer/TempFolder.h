// A fresh folder per test, removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace vornal::testing {

class TempFolder {
public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("vornal_packer_" + std::to_string(::getpid()) + "_" + info->test_suite_name() +
                 "_" + info->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

    std::filesystem::path write(std::string_view name, std::string_view content) const {
        auto p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(content.data(), content.size());
        return p;
    }
    // Names below `sub`, sorted, folders marked with a trailing '/'.
    std::vector<std::string> list(std::string_view sub = "") const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(path_ / sub)) {
            names.push_back(std::filesystem::relative(e.path(), path_ / sub).string() +
                            (e.is_directory() ? "/" : ""));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

}  // namespace vornal::testing

// The checker's state, shared by its two halves: what lines refer to (Checker.cpp) and how
// the script is laid out (CheckLayout.cpp).
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "player/check/ScriptCheck.h"
#include "player/core/ScriptModel.h"

namespace vornal::check {

class Checker {
public:
    Checker(std::span<const Byte> script, const DataFiles& data);
    std::vector<Finding> run();

private:
    void error(std::int32_t line, std::string text);
    void warning(std::int32_t line, std::string text);
    bool inItemBlock(std::int32_t line) const;
    std::string shown(std::string_view sjisText) const;  // UTF-8, for messages

    // What lines refer to.
    void checkLine(std::int32_t i);
    void jump(std::int32_t line, std::string_view keyword, std::string_view name);
    void valueField(std::int32_t line, int field);
    void operand(std::int32_t line, std::string_view text, int depth = 0);
    void itemName(std::int32_t line, std::string_view name);
    void dataFile(std::int32_t line, std::string_view extension, bool pictureRule);
    void unknownKeyword(std::int32_t line);

    // How the script is laid out.
    void duplicateNames();
    void patterns();
    void unreachableScenes();
    void unclosedBlocks();
    void unreachableLines();

    const DataFiles& data_;
    ScriptModel model_;
    std::vector<Finding> findings_;
    std::set<std::int32_t> reachedScenes_;  // scenes some jump leads into
};

}  // namespace vornal::check

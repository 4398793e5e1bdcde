#include "player/check/Checker.h"

#include <algorithm>
#include <system_error>

#include "common/SjisText.h"
#include "player/commands/Expressions.h"
#include "player/core/DataFiles.h"
#include "player/core/ScriptText.h"

namespace vornal::check {

namespace {

constexpr std::int32_t kLastFlag = 512;
constexpr int kMaxOperandDepth = 64;

std::string inQuotes(std::string_view text) {
    return "'" + std::string(text) + "'";
}

}  // namespace

Checker::Checker(std::span<const Byte> script, const DataFiles& data) : data_(data) {
    model_.ScriptLines = SplitScriptLines(script);
    IndexScript(model_, [this](std::int32_t line) {
        error(line, "a value here is not a whole number, and the player refuses it: " +
                        shown(model_.ScriptLines[line]));
    });
}

std::vector<Finding> Checker::run() {
    if (model_.LabelList.FindStartScene() < 0)
        error(0, "the script has no *SCENE, so the player cannot play it");
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(model_.ScriptLines.size()); ++i) {
        if (!inItemBlock(i)) checkLine(i);
    }
    duplicateNames();
    patterns();
    unreachableScenes();
    unclosedBlocks();
    unreachableLines();
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return std::move(findings_);
}

void Checker::error(std::int32_t line, std::string text) {
    findings_.push_back({line, Severity::Error, std::move(text)});
}

void Checker::warning(std::int32_t line, std::string text) {
    findings_.push_back({line, Severity::Warning, std::move(text)});
}

bool Checker::inItemBlock(std::int32_t line) const {
    return std::any_of(
        model_.ItemBlocks.begin(), model_.ItemBlocks.end(),
        [line](const auto& block) { return line > block.first && line <= block.second; });
}

std::string Checker::shown(std::string_view sjisText) const {
    return sjis::toUtf8(sjisText);
}

void Checker::checkLine(std::int32_t i) {
    const std::string& line = model_.ScriptLines[i];
    const auto field = [&line](int n) { return GetToken(line, ' ', n); };
    switch (model_.LineKinds[i]) {
        case kwUnknown:
            unknownKeyword(i);
            break;
        case kwGoto:
            jump(i, "*GOTO", field(1));
            break;
        case kwGosub:
            jump(i, "*GOSUB", field(1));
            break;
        case kwIf: {
            const SplitResult condition = SplitExpression(field(1));
            operand(i, condition.Left);
            operand(i, condition.Right);
            jump(i, "*IF", field(2));
            break;
        }
        case kwYesNo:
            jump(i, "*YESNO", field(2));
            jump(i, "*YESNO", field(3));
            break;
        case kwWait:
        case kwSetInput:
            valueField(i, 1);
            break;
        case kwPicture:
            dataFile(i, ".bmp", true);
            if (CountTokens(line, ' ') == 4) {
                operand(i, field(2));
                operand(i, field(3));
            }
            break;
        case kwSe:
            dataFile(i, ".wav", false);
            break;
        case kwBgm:
            dataFile(i, ".mid", false);
            break;
        case kwGetItem:
        case kwDelItem:
            itemName(i, field(1));
            break;
        case kwAssign: {
            const SplitResult parts = SplitExpression(std::string_view(line).substr(1));
            operand(i, parts.Left);
            operand(i, parts.Right);
            break;
        }
        case kwInput:
            operand(i, field(2));
            break;
        case kwSave:
        case kwLoad:
            operand(i, field(1));
            break;
        default:
            break;
    }
}

void Checker::jump(std::int32_t line, std::string_view keyword, std::string_view name) {
    std::int32_t target = 0;
    std::int32_t scene = 0;
    if (model_.LabelList.FindLabel(name, target, scene)) {
        reachedScenes_.insert(scene);
        return;
    }
    error(line, std::string(keyword) + " to " + inQuotes(shown(name)) +
                    ", which no *SCENE or *LABEL defines");
}

void Checker::valueField(std::int32_t line, int field) {
    try {
        ValueField(model_.ScriptLines[line], field);
    } catch (const ScriptValueError&) {
        error(line, "the value " + inQuotes(shown(GetToken(model_.ScriptLines[line], ' ', field))) +
                        " is not a whole number, and the player refuses it");
    }
}

// Walks an operand as the player evaluates it, without evaluating it.
void Checker::operand(std::int32_t line, std::string_view text, int depth) {
    if (depth > kMaxOperandDepth) return;
    const auto [kind, inner] = SplitOperand(text);
    const bool literal = !inner.empty() && inner[0] >= '0' && inner[0] <= '9';
    switch (kind) {
        case 'F':
            if (!literal) return operand(line, inner, depth + 1);
            if (const std::int32_t n = DigitOperand(inner); n < 0 || n > kLastFlag) {
                const std::string digits(inner.substr(0, inner.find_first_not_of("0123456789")));
                warning(line, "flag F(" + digits +
                                  ") does not exist (flags are F(0) to F(512)): it reads 0 "
                                  "and keeps nothing");
            }
            return;
        case 'I':
            // Only an inner text that is no operand at all is looked up as a name.
            if (literal || inner.empty() || inner[0] == 'F' || inner[0] == 'I' || inner[0] == 'R')
                return operand(line, inner, depth + 1);
            return itemName(line, ItemNameOf(inner));
        case 'R':
            return operand(line, inner, depth + 1);
        default:
            return;
    }
}

void Checker::itemName(std::int32_t line, std::string_view name) {
    if (model_.ItemList.FindItem(name) >= 0) return;
    warning(line, "item " + inQuotes(shown(name)) + " is not declared in any *ITEM block");
}

void Checker::dataFile(std::int32_t line, std::string_view extension, bool pictureRule) {
    const std::string name =
        WithDefaultExtension(GetToken(model_.ScriptLines[line], ' ', 1), extension);
    if (data_.entries) {
        const std::string upper = sjis::upperAscii(name);
        const auto& entries = *data_.entries;
        if (std::find(entries.begin(), entries.end(), upper) != entries.end()) return;
        std::string text = "data file " + inQuotes(shown(name)) + " is not in the archive";
        for (const std::string& entry : entries) {
            if (sjis::upperAscii(entry) == upper) {
                text += " (it holds " + inQuotes(shown(entry)) +
                        ", but the player looks names up in upper case)";
                break;
            }
        }
        return error(line, text);
    }
    const std::filesystem::path relative =
        DataFilePath(pictureRule ? FileNamePart(name) : std::string_view(name));
    std::error_code failure;
    if (std::filesystem::is_regular_file(data_.folder / relative, failure)) return;
    if (const auto found = FindCaseBlind(data_.folder, relative)) {
        const std::string as = std::filesystem::relative(*found, data_.folder, failure).string();
        return warning(line, "data file " + inQuotes(shown(name)) + " is found only as " +
                                 inQuotes(as) + ", whose letter case differs");
    }
    std::string text = "data file " + inQuotes(shown(name)) + " does not exist (looked for " +
                       inQuotes(relative.string()) + ")";
    if (pictureRule && FindCaseBlind(data_.folder, DataFilePath(name)))
        text += "; *PICTURE looks in the game's folder only, not in subfolders";
    error(line, text);
}

void Checker::unknownKeyword(std::int32_t line) {
    const std::string_view keyword = GetToken(model_.ScriptLines[line], ' ', 0);
    const std::string upper = sjis::upperAscii(keyword);
    std::string_view sameButCase;
    std::string_view longestPrefix;
    for (int code = kwScene; code <= kwSetInput; ++code) {
        const std::string_view known = KeywordName(code);
        if (known.empty()) continue;
        if (upper == known) sameButCase = known;
        if (keyword.starts_with(known) && known.size() > longestPrefix.size())
            longestPrefix = known;
    }
    std::string text = inQuotes(shown(keyword)) + " is no keyword, and the player skips the line";
    if (!sameButCase.empty())
        text += "; keywords are upper case: " + std::string(sameButCase);
    else if (!longestPrefix.empty())
        text += "; a blank is missing after " + std::string(longestPrefix);
    warning(line, text);
}

std::vector<Finding> CheckScript(std::span<const Byte> script, const DataFiles& data) {
    return Checker(script, data).run();
}

std::size_t CountOf(std::span<const Finding> findings, Severity severity) {
    return static_cast<std::size_t>(
        std::count_if(findings.begin(), findings.end(),
                      [severity](const Finding& f) { return f.severity == severity; }));
}

std::string FormatFinding(const std::string& file, const Finding& finding) {
    const std::string column =
        finding.column > 0 ? ":" + std::to_string(finding.column) : std::string();
    return file + ":" + std::to_string(static_cast<std::int64_t>(finding.line) + 1) + column +
           ": " + (finding.severity == Severity::Error ? "error: " : "warning: ") + finding.text;
}

}  // namespace vornal::check

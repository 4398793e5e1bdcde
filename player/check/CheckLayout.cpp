// The layout half of the checker: names defined twice, patterns that never win, scenes and
// lines that nothing reaches, blocks left open.
#include <algorithm>
#include <map>
#include <unordered_map>

#include "player/check/Checker.h"
#include "player/core/ScriptText.h"

namespace vornal::check {

namespace {

std::string lineNumber(std::int32_t index) {
    return std::to_string(static_cast<std::int64_t>(index) + 1);
}

// The words a pattern needs, in an order that does not matter for matching.
std::vector<std::string> wordSet(const SGameCmd& pattern) {
    std::vector<std::string> words(pattern.Words.begin(),
                                   pattern.Words.begin() + pattern.WordCount);
    std::sort(words.begin(), words.end());
    return words;
}

}  // namespace

// Reported on the definitions that lose: jumps and lookups use the last one.
void Checker::duplicateNames() {
    const auto report = [this](const std::vector<std::pair<std::string, std::int32_t>>& defs,
                               const char* what) {
        std::unordered_map<std::string, std::int32_t> last;
        for (const auto& [name, line] : defs)
            last[name] = line;
        for (const auto& [name, line] : defs) {
            if (last[name] == line) continue;
            warning(line, std::string(what) + " '" + shown(name) + "' is defined again on line " +
                              lineNumber(last[name]) + ", and that later definition wins");
        }
    };
    std::vector<std::pair<std::string, std::int32_t>> labels;
    for (std::size_t i = 0; i < model_.LabelList.Count(); ++i) {
        const sLabelIndex& label = model_.LabelList.Items(i);
        labels.emplace_back(label.Name, label.Line - 1);
    }
    report(labels, "name");
    std::vector<std::pair<std::string, std::int32_t>> items;
    for (std::size_t i = 0; i < model_.ItemList.Count(); ++i)
        items.emplace_back(model_.ItemList.Items(i).Name, model_.ItemLines[i]);
    report(items, "item");
}

void Checker::patterns() {
    for (const SGameCmd& pattern : model_.Patterns) {
        if (pattern.WordCount == 0)
            warning(pattern.Line - 1, "this pattern has no words, so it never matches");
    }
    std::set<std::int32_t> reported;
    for (std::size_t i = 0; i < model_.LabelList.Count(); ++i) {
        const sLabelIndex& scene = model_.LabelList.Items(i);
        if (scene.Scene != scene.Line) continue;  // a *LABEL, not a *SCENE
        TCmdList list;
        CollectCommands(model_, scene.Line, list);
        // On a tie the later pattern wins, so of patterns with the same words only the
        // last can ever run.
        std::map<std::vector<std::string>, std::int32_t> lastWith;
        for (const SGameCmd* pattern : list) {
            if (pattern->WordCount > 0) lastWith[wordSet(*pattern)] = pattern->Line - 1;
        }
        for (const SGameCmd* pattern : list) {
            if (pattern->WordCount == 0) continue;
            const std::int32_t line = pattern->Line - 1;
            const std::int32_t winner = lastWith[wordSet(*pattern)];
            if (winner == line || !reported.insert(line).second) continue;
            warning(line, "this pattern never runs: the pattern on line " + lineNumber(winner) +
                              " has the same words, and the later one wins");
        }
    }
}

void Checker::unreachableScenes() {
    for (std::size_t i = 0; i < model_.LabelList.Count(); ++i) {
        const sLabelIndex& scene = model_.LabelList.Items(i);
        if (scene.Scene != scene.Line) continue;
        if (scene.Line == model_.LabelList.FindStartScene() || scene.Line == model_.GlobalScene ||
            reachedScenes_.count(scene.Line) != 0)
            continue;
        warning(scene.Line - 1, "scene '" + shown(scene.Name) +
                                    "' is never entered: no *GOTO, *GOSUB, *IF or *YESNO leads "
                                    "to it or to a label in it");
    }
}

void Checker::unclosedBlocks() {
    const auto count = static_cast<std::int32_t>(model_.ScriptLines.size());
    for (const auto& [first, last] : model_.ItemBlocks) {
        if (last == count)
            warning(first, "*ITEM has no *ITEMEND: the item block runs to the end of the script");
    }
    std::int32_t open = -1;
    const auto unclosed = [this, &open] {
        if (open >= 0)
            warning(open,
                    "*SCENE has no *SCENEEND: its patterns include those of the scenes below");
    };
    for (std::int32_t i = 0; i < count; ++i) {
        if (inItemBlock(i)) continue;
        if (model_.LineKinds[i] == kwScene) {
            unclosed();
            open = i;
        } else if (model_.LineKinds[i] == kwSceneEnd) {
            open = -1;
        }
    }
    unclosed();
}

void Checker::unreachableLines() {
    // Play starts after the first *SCENE: what stands above it runs only if a jump leads there.
    bool dead = true;
    bool reported = false;
    std::int32_t end = -1;
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(model_.ScriptLines.size()); ++i) {
        if (inItemBlock(i)) continue;
        switch (model_.LineKinds[i]) {
            case kwLabel:
            case kwScene:
            case kwPattern:
                dead = false;
                continue;
            case kwEnd:
            case kwSceneEnd:
                if (!dead) end = i;
                if (!dead) reported = false;
                dead = true;
                continue;
            // Declarations and lines that act when the script is opened, not when run.
            case lkSkip:
            case kwItem:
            case kwItemEnd:
            case kwTitle:
            case kwScreen:
            case kwUnknown:
                continue;
            default:
                break;
        }
        if (!dead || reported) continue;
        reported = true;
        warning(i, end < 0 ? "no pass reaches this line: play starts after the first *SCENE"
                           : "no pass reaches this line: it follows the block end on line " +
                                 lineNumber(end) + " with no *LABEL or pattern between");
    }
}

}  // namespace vornal::check

#include "player/core/ScriptModel.h"

#include <algorithm>

#include "player/core/ScriptText.h"

namespace vornal {

void TLabelList::Clear() {
    records_.clear();
    last_.clear();
    startScene_ = -1;
}

void TLabelList::AddLabel(std::string name, std::int32_t line, std::int32_t scene) {
    if (startScene_ < 0 && line == scene) startScene_ = line;
    last_.insert_or_assign(name, records_.size());
    records_.push_back({std::move(name), line, scene});
}

bool TLabelList::FindLabel(std::string_view name, std::int32_t& line, std::int32_t& scene) const {
    auto it = last_.find(name);
    if (it == last_.end()) return false;
    line = records_[it->second].Line;
    scene = records_[it->second].Scene;
    return true;
}

void TItemList::Clear() {
    records_.clear();
    last_.clear();
}

void TItemList::Add(std::string name, std::int32_t value) {
    last_.insert_or_assign(name, records_.size());
    records_.push_back({std::move(name), value});
}

std::int32_t TItemList::FindItem(std::string_view name) const {
    auto it = last_.find(name);
    return it == last_.end() ? -1 : static_cast<std::int32_t>(it->second);
}

void TFlagList::Fill() {
    records_.assign(kCount, sFlag{});
    for (int n = 0; n < kCount; ++n)
        records_[n].Value = n;
}

SGameCmd AddCommand(std::string_view patternLine, std::int32_t line) {
    SGameCmd cmd;
    cmd.Line = line;
    std::string_view rest = patternLine;
    // Fields beyond the sixth are ignored like the sixth itself.
    for (std::size_t slot = 0; slot < 5 && !rest.empty(); ++slot) {
        cmd.Words[slot] = std::string(CutToken(rest, ' '));
    }
    if (!cmd.Words[0].empty()) cmd.Words[0].erase(0, 1);  // the '>'
    while (cmd.WordCount < 5 && !cmd.Words[cmd.WordCount].empty()) {
        std::string_view word = cmd.Words[cmd.WordCount];
        auto& alternatives = cmd.Alternatives[cmd.WordCount];
        do {
            std::string_view alternative = CutToken(word, '/');
            if (!alternative.empty()) alternatives.emplace_back(alternative);
        } while (!word.empty());
        ++cmd.WordCount;
    }
    return cmd;
}

std::int32_t ValueField(std::string_view line, int n) {
    auto value = ParseInteger(GetToken(line, ' ', n));
    if (!value) throw ScriptValueError();
    return *value;
}

std::string TitleText(std::string_view line) {
    std::string_view text = line.size() > 7 ? line.substr(7) : std::string_view{};
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    return std::string(text);
}

void ScreenSize(std::string_view line, std::int32_t& width, std::int32_t& height) {
    width = std::clamp(ValueField(line, 1), 0, kMaxPictureSide);
    height = std::clamp(ValueField(line, 2), 0, kMaxPictureSide);
}

void IndexScript(ScriptModel& model, std::int32_t& failedLine) {
    IndexScript(model, [&failedLine](std::int32_t line) {
        failedLine = line;
        throw ScriptValueError();
    });
}

void IndexScript(ScriptModel& model, const std::function<void(std::int32_t)>& badValue) {
    const auto& lines = model.ScriptLines;
    model.LineKinds.resize(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        model.LineKinds[i] = ClassifyLine(lines[i]);

    std::int32_t scene = 0;
    bool inItems = false;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string& line = lines[index];
        const auto i = static_cast<std::int32_t>(index);
        const bool keyword = !line.empty() && (line[0] == '*' || line[0] == '>');
        const int code = keyword ? static_cast<int>(model.LineKinds[index]) : 0;
        // Patterns and scene ends are recorded everywhere: collecting a scene's patterns
        // walks the script's lines, item blocks included.
        if (code == kwPattern) model.Patterns.push_back(AddCommand(line, i + 1));
        if (code == kwSceneEnd) model.SceneEndLines.push_back(i);

        if (inItems) {
            if (!line.empty() && line[0] == '*') {
                if (code == kwItemEnd) {
                    inItems = false;
                    model.ItemBlocks.back().second = i;
                }
                continue;
            }
            std::string_view valueField = GetToken(line, ' ', 1);
            std::int32_t value = 0;
            if (!valueField.empty()) {
                auto parsed = ParseInteger(valueField);
                if (parsed)
                    value = *parsed;
                else
                    badValue(i);
            }
            model.ItemList.Add(std::string(GetToken(line, ' ', 0)), value);
            model.ItemLines.push_back(i);
            continue;
        }
        if (line.empty() || line[0] != '*') continue;
        switch (code) {
            case kwScene: {
                scene = i + 1;
                std::string name(GetToken(line, ' ', 1));
                if (name == "GLOBAL") model.GlobalScene = i + 1;
                model.LabelList.AddLabel(std::move(name), i + 1, i + 1);
                break;
            }
            case kwLabel:
                model.LabelList.AddLabel(std::string(GetToken(line, ' ', 1)), i + 1, scene);
                break;
            case kwItem:
                inItems = true;
                model.ItemBlocks.emplace_back(i, static_cast<std::int32_t>(lines.size()));
                break;
            case kwScreen: {
                WindowSetup setup;
                setup.LineIndex = i;
                try {
                    ScreenSize(line, setup.Width, setup.Height);
                } catch (const ScriptValueError&) {
                    badValue(i);
                    break;
                }
                model.WindowSetups.push_back(setup);
                break;
            }
            case kwTitle:
                model.WindowSetups.push_back(
                    WindowSetup{.LineIndex = i, .IsTitle = true, .Caption = TitleText(line)});
                break;
            default:
                break;
        }
    }
}

void CollectCommands(const ScriptModel& model, std::int32_t start, TCmdList& list) {
    if (start < 0) return;
    const auto& ends = model.SceneEndLines;
    auto end = std::lower_bound(ends.begin(), ends.end(), start);
    const std::int32_t stop =
        end == ends.end() ? static_cast<std::int32_t>(model.ScriptLines.size()) : *end;
    // A pattern on line j has its block at j + 1.
    auto first = std::lower_bound(
        model.Patterns.begin(), model.Patterns.end(), start,
        [](const SGameCmd& cmd, std::int32_t line) { return cmd.Line - 1 < line; });
    for (auto it = first; it != model.Patterns.end() && it->Line - 1 < stop; ++it)
        list.push_back(&*it);
}

}  // namespace vornal

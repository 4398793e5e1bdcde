// The model built when a script is opened: scenes and labels, items, flags, command
// patterns, and the game stack. Names are looked up through a hash of the last record of
// each name, so later definitions win without scanning the table on every jump.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vornal {

// Transparent hashing so lookups by string_view allocate nothing.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using NameIndex = std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>>;

struct sLabelIndex {
    std::string Name;
    std::int32_t Line = 0;   // the line after the *SCENE / *LABEL line: where a jump lands
    std::int32_t Scene = 0;  // first line of the enclosing scene; == Line for a scene
};

class TLabelList {
public:
    void Clear();
    void AddLabel(std::string name, std::int32_t line, std::int32_t scene);
    // The last record of that name wins; line and scene untouched when there is none.
    bool FindLabel(std::string_view name, std::int32_t& line, std::int32_t& scene) const;
    // First line of the first scene of the script, -1 when there is none.
    std::int32_t FindStartScene() const { return startScene_; }
    std::size_t Count() const { return records_.size(); }
    const sLabelIndex& Items(std::size_t i) const { return records_.at(i); }

private:
    std::vector<sLabelIndex> records_;
    NameIndex last_;
    std::int32_t startScene_ = -1;
};

struct sItem {
    std::string Name;
    std::int32_t Value = 0;  // held when not 0
};

class TItemList {
public:
    void Clear();
    void Add(std::string name, std::int32_t value);
    // Position of the last item of that name, -1 when there is none.
    std::int32_t FindItem(std::string_view name) const;
    std::size_t Count() const { return records_.size(); }
    bool Contains(std::int32_t n) const {
        return n >= 0 && static_cast<std::size_t>(n) < records_.size();
    }
    sItem& Items(std::size_t i) { return records_.at(i); }
    const sItem& Items(std::size_t i) const { return records_.at(i); }

private:
    std::vector<sItem> records_;
    NameIndex last_;
};

struct sFlag {
    std::string Name;  // always empty: flags are addressed by number
    std::int32_t Value = 0;
};

class TFlagList {
public:
    static constexpr int kCount = 513;
    void Clear() { records_.clear(); }
    // The 513 flags 0..512, each holding its own number.
    void Fill();
    bool Contains(std::int32_t n) const {
        return n >= 0 && static_cast<std::size_t>(n) < records_.size();
    }
    // Out of range reads 0 and stores nothing.
    std::int32_t Value(std::int32_t n) const { return Contains(n) ? records_[n].Value : 0; }
    void SetValue(std::int32_t n, std::int32_t value) {
        if (Contains(n)) records_[n].Value = value;
    }
    std::size_t Count() const { return records_.size(); }

private:
    std::vector<sFlag> records_;
};

// One command pattern line. Words are the pattern's fields (slot 0 without its '>'); only
// slots 0-4 take part in matching, slot 5 stays empty.
struct SGameCmd {
    std::array<std::string, 6> Words;
    std::int32_t Line = 0;  // first line of the pattern's block
    // Derived once: the number of leading non-empty slots (0-5) and each word's
    // alternatives (cut at "/").
    int WordCount = 0;
    std::array<std::vector<std::string>, 5> Alternatives;
};

// Builds a record from a pattern line (whose first byte is '>').
SGameCmd AddCommand(std::string_view patternLine, std::int32_t line);

// The patterns of the current scene, then those of the GLOBAL scene. The records belong
// to the script model and outlive the list (it is rebuilt whenever the model changes).
using TCmdList = std::vector<const SGameCmd*>;

struct sStackEntry {
    std::int32_t Scene = 0;
    std::int32_t Line = 0;
};
using TGameStack = std::vector<sStackEntry>;

// A value field that is not a decimal integer. The catcher knows which line it was on.
class ScriptValueError : public std::runtime_error {
public:
    ScriptValueError() : std::runtime_error("value field is not a decimal integer") {}
};

// What a script asks of the window while it is indexed, applied once indexing succeeded.
struct WindowSetup {
    std::int32_t LineIndex = 0;
    bool IsTitle = false;
    std::string Caption;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// Everything that comes from the script's text. Only item values change during play.
struct ScriptModel {
    std::vector<std::string> ScriptLines;
    std::vector<std::int8_t> LineKinds;  // ClassifyLine of every line
    TLabelList LabelList;
    TItemList ItemList;
    std::int32_t GlobalScene = -1;
    std::vector<SGameCmd> Patterns;           // every pattern line, in script order
    std::vector<std::int32_t> SceneEndLines;  // every *SCENEEND line, ascending
    std::vector<WindowSetup> WindowSetups;
    // For authors' tools: the line of each item in ItemList, and each *ITEM block as its
    // *ITEM line and its *ITEMEND line (the line count when it has none).
    std::vector<std::int32_t> ItemLines;
    std::vector<std::pair<std::int32_t, std::int32_t>> ItemBlocks;
};

// Fills LineKinds and indexes ScriptLines. Throws ScriptValueError after setting
// `failedLine` to the offending line's index.
void IndexScript(ScriptModel& model, std::int32_t& failedLine);
// The same, but a value field that is not a number is handed to `badValue` (its line) and
// indexing goes on: the item gets 0, the *SCREEN line is left out.
void IndexScript(ScriptModel& model, const std::function<void(std::int32_t)>& badValue);

// Appends the patterns of the scene whose first line is `start`: every pattern line from
// there to the next *SCENEEND (or the end of the script).
void CollectCommands(const ScriptModel& model, std::int32_t start, TCmdList& list);

// Parses the *TITLE text and the *SCREEN sizes the same way when indexing and running.
std::string TitleText(std::string_view line);
// Throws ScriptValueError; sizes are kept within 0..kMaxPictureSide.
inline constexpr std::int32_t kMaxPictureSide = 4096;
void ScreenSize(std::string_view line, std::int32_t& width, std::int32_t& height);
// Field n of a line as a decimal integer; throws ScriptValueError.
std::int32_t ValueField(std::string_view line, int n);

}  // namespace vornal

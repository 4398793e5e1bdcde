#include "player/core/ScriptModel.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/core/WorkedExample.h"

namespace vornal {
namespace {

using test::kWorkedExample;

ScriptModel indexed(std::vector<std::string> lines) {
    ScriptModel model;
    model.ScriptLines = std::move(lines);
    std::int32_t failed = -1;
    IndexScript(model, failed);
    return model;
}

// Patterns in force for a scene, as "line:word word" strings.
std::vector<std::string> collected(const ScriptModel& model, std::int32_t start) {
    TCmdList list;
    CollectCommands(model, start, list);
    std::vector<std::string> out;
    for (const SGameCmd* cmd : list) {
        std::string text = std::to_string(cmd->Line) + ":";
        for (int w = 0; w < cmd->WordCount; ++w)
            text += (w ? " " : "") + cmd->Words[w];
        out.push_back(text);
    }
    return out;
}

TEST(ScriptModel, IndexesTheWorkedExample) {
    ScriptModel model = indexed(kWorkedExample);
    ASSERT_EQ(model.ItemList.Count(), 2u);
    EXPECT_EQ(model.ItemList.Items(0).Name, "lamp");
    EXPECT_EQ(model.ItemList.Items(0).Value, 1);
    EXPECT_EQ(model.ItemList.Items(1).Name, "key");
    EXPECT_EQ(model.ItemList.Items(1).Value, 0);

    std::vector<std::tuple<std::string, int, int>> labels;
    for (std::size_t i = 0; i < model.LabelList.Count(); ++i) {
        const auto& r = model.LabelList.Items(i);
        labels.emplace_back(r.Name, r.Line, r.Scene);
    }
    EXPECT_EQ(labels,
              (std::vector<std::tuple<std::string, int, int>>{
                  {"hall", 5, 5}, {"cellar", 14, 14}, {"describe", 19, 14}, {"GLOBAL", 23, 23}}));
    EXPECT_EQ(model.GlobalScene, 23);
    EXPECT_EQ(model.LabelList.FindStartScene(), 5);
    EXPECT_EQ(collected(model, 5),
              (std::vector<std::string>{"7:look", "9:open door", "11:NOMATCH"}));
    EXPECT_EQ(collected(model, 23), (std::vector<std::string>{"24:items/inventory"}));
}

TEST(ScriptModel, LaterDefinitionsWin) {
    ScriptModel model =
        indexed({"*LABEL top", "*SCENE a", "*LABEL door", "x", "*LABEL door", "*SCENEEND",
                 "*SCENE a", "*SCENEEND", "*ITEM", "coin 1", "coin 2", "*ITEMEND"});
    std::int32_t line = -5, scene = -5;
    ASSERT_TRUE(model.LabelList.FindLabel("door", line, scene));
    EXPECT_EQ(line, 5);
    EXPECT_EQ(scene, 2);
    ASSERT_TRUE(model.LabelList.FindLabel("a", line, scene));
    EXPECT_EQ(line, 7);                              // the later scene of that name
    EXPECT_EQ(model.LabelList.FindStartScene(), 2);  // still the first *SCENE
    ASSERT_TRUE(model.LabelList.FindLabel("top", line, scene));
    EXPECT_EQ(scene, 0);  // above the first scene
    line = scene = -5;
    EXPECT_FALSE(model.LabelList.FindLabel("Door", line, scene));
    EXPECT_EQ(line, -5);
    EXPECT_EQ(scene, -5);
    EXPECT_EQ(model.ItemList.FindItem("coin"), 1);
    EXPECT_EQ(model.ItemList.FindItem("Coin"), -1);
}

TEST(ScriptModel, ItemBlocks) {
    ScriptModel model =
        indexed({"*ITEM extra fields", "lamp 2", "", "#note", "*LABEL x", "bell 3 more", ">take",
                 "*ITEMEND", "*ITEM", "rope", "*SCENE lost", "*SCENEEND"});
    std::vector<std::pair<std::string, int>> items;
    for (std::size_t i = 0; i < model.ItemList.Count(); ++i)
        items.emplace_back(model.ItemList.Items(i).Name, model.ItemList.Items(i).Value);
    EXPECT_EQ(items,
              (std::vector<std::pair<std::string, int>>{
                  {"lamp", 2}, {"", 0}, {"#note", 0}, {"bell", 3}, {">take", 0}, {"rope", 0}}));
    // The *LABEL inside the block is ignored; the *SCENE after an unclosed block too.
    EXPECT_EQ(model.LabelList.Count(), 0u);
    EXPECT_EQ(model.LabelList.FindStartScene(), -1);
}

TEST(ScriptModel, BadValueFieldsFailIndexingAtTheirLine) {
    for (const auto& [lines, expected] : std::vector<std::pair<std::vector<std::string>, int>>{
             {{"*SCENE a", "*ITEM", "lamp x", "*ITEMEND"}, 2},
             {{"*SCENE a", "*ITEM", "lamp 99999999999", "*ITEMEND"}, 2},
             {{"*SCREEN 320 wide", "*SCENE a"}, 0},
             {{"*SCENE a", "x", "*SCREEN 320"}, 2},
         }) {
        ScriptModel model;
        model.ScriptLines = lines;
        std::int32_t failed = -1;
        EXPECT_THROW(IndexScript(model, failed), ScriptValueError);
        EXPECT_EQ(failed, expected);
    }
}

TEST(ScriptModel, WindowSetupIsRecordedInOrder) {
    ScriptModel model = indexed(
        {"*TITLE   Castle of Night", "*SCENE a", "*SCREEN 320 240", "*SCREEN 99999 -3", "*TITLE"});
    ASSERT_EQ(model.WindowSetups.size(), 4u);
    EXPECT_TRUE(model.WindowSetups[0].IsTitle);
    EXPECT_EQ(model.WindowSetups[0].Caption, "Castle of Night");
    EXPECT_EQ(model.WindowSetups[1].Width, 320);
    EXPECT_EQ(model.WindowSetups[1].Height, 240);
    EXPECT_EQ(model.WindowSetups[2].Width, kMaxPictureSide);
    EXPECT_EQ(model.WindowSetups[2].Height, 0);
    EXPECT_EQ(model.WindowSetups[3].Caption, "");
}

TEST(ScriptModel, PatternWords) {
    SGameCmd six = AddCommand(">a b/c d e f g", 9);
    EXPECT_EQ(six.Line, 9);
    EXPECT_EQ(six.WordCount, 5);
    EXPECT_EQ(six.Words[4], "f");
    EXPECT_EQ(six.Words[5], "");
    EXPECT_EQ(six.Alternatives[1], (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(AddCommand(">", 1).WordCount, 0);
    EXPECT_EQ(AddCommand("> look", 1).WordCount, 0);
    EXPECT_EQ(AddCommand(">look ", 1).WordCount, 1);
    EXPECT_EQ(AddCommand(">take  lamp", 1).Words[1], "lamp");
}

TEST(ScriptModel, CollectingRunsOnAcrossAMissingSceneEnd) {
    ScriptModel model = indexed({"*SCENE a", ">one", "*LABEL l", ">two", "*END", "*SCENE b",
                                 ">three", "*SCENEEND", "*SCENE c", ">four", "*SCENEEND"});
    EXPECT_EQ(collected(model, 1), (std::vector<std::string>{"2:one", "4:two", "7:three"}));
    EXPECT_EQ(collected(model, 6), (std::vector<std::string>{"7:three"}));
    EXPECT_EQ(collected(model, 9), (std::vector<std::string>{"10:four"}));
    // A scene that starts on a pattern line collects it; one starting past the end nothing.
    EXPECT_EQ(collected(model, 3), (std::vector<std::string>{"4:two", "7:three"}));
    EXPECT_EQ(collected(model, 11), (std::vector<std::string>{}));
}

TEST(ScriptModel, FlagsStartAtTheirNumbers) {
    TFlagList flags;
    flags.Fill();
    EXPECT_EQ(flags.Count(), 513u);
    EXPECT_EQ(flags.Value(0), 0);
    EXPECT_EQ(flags.Value(7), 7);
    EXPECT_EQ(flags.Value(512), 512);
    EXPECT_EQ(flags.Value(513), 0);
    EXPECT_EQ(flags.Value(-1), 0);
    flags.SetValue(513, 5);
    flags.SetValue(-1, 5);
    flags.SetValue(512, -9);
    EXPECT_EQ(flags.Value(512), -9);
}

TEST(ScriptModel, LookupsStayFastWithManyLabels) {
    // Later-wins through the hash: the last of 10,000 duplicates is found.
    std::vector<std::string> lines = {"*SCENE s"};
    for (int i = 0; i < 10000; ++i)
        lines.push_back("*LABEL same");
    ScriptModel model = indexed(lines);
    std::int32_t line = 0, scene = 0;
    ASSERT_TRUE(model.LabelList.FindLabel("same", line, scene));
    EXPECT_EQ(line, 10001);
}

}  // namespace
}  // namespace vornal

// The checker: one small script per kind of finding, with the exact lines it prints.
#include "player/check/ScriptCheck.h"

#include <gtest/gtest.h>

#include "common/SjisText.h"
#include "tests/packer/TempFolder.h"

namespace vornal::check {
namespace {

using Lines = std::vector<std::string>;

struct Case {
    const char* what;
    Lines script;    // UTF-8, written as Shift-JIS
    Lines expected;  // FormatFinding's lines for the file "g.vns"
};

Lines findings(const Lines& script, const DataFiles& data) {
    std::string text;
    for (const std::string& line : script)
        text += sjis::fromUtf8(line) + "\r\n";
    Lines out;
    const auto bytes = std::span(reinterpret_cast<const Byte*>(text.data()), text.size());
    for (const Finding& f : CheckScript(bytes, data))
        out.push_back(FormatFinding("g.vns", f));
    return out;
}

TEST(Check, EachKindOfFinding) {
    testing::TempFolder folder;
    folder.write("room.bmp", "");
    folder.write("img/face.bmp", "");
    folder.write("Snd/Door.WAV", "");
    const std::vector<Case> cases = {
        {"a clean script", {"*SCENE a", "hi", ">look", "x", "*END", "*SCENEEND"}, {}},
        {"jumps to names nothing defines",
         {"*SCENE a", "*GOTO nowhere", "*GOSUB a", "*IF F(1)==1 nope", "*YESNO 開く？ a 閉じる",
          "*SCENEEND"},
         {"g.vns:2: error: *GOTO to 'nowhere', which no *SCENE or *LABEL defines",
          "g.vns:4: error: *IF to 'nope', which no *SCENE or *LABEL defines",
          "g.vns:5: error: *YESNO to '閉じる', which no *SCENE or *LABEL defines"}},
        {"value fields the player refuses",
         {"*ITEM", "coin many", "*ITEMEND", "*SCREEN 10 x", "*SCENE a", "*WAIT soon", "*SETINPUT 1",
          "*SETINPUT on", "*SCENEEND"},
         {"g.vns:2: error: a value here is not a whole number, and the player refuses it: "
          "coin many",
          "g.vns:4: error: a value here is not a whole number, and the player refuses it: "
          "*SCREEN 10 x",
          "g.vns:6: error: the value 'soon' is not a whole number, and the player refuses it",
          "g.vns:8: error: the value 'on' is not a whole number, and the player refuses it"}},
        {"no scene",
         {"text"},
         {"g.vns:1: error: the script has no *SCENE, so the player cannot play it",
          "g.vns:1: warning: no pass reaches this line: play starts after "
          "the first *SCENE"}},
        {"data files in the folder",
         {"*SCENE a", "*PICTURE room", "*PICTURE img\\face", "*SE snd\\door", "*BGM theme",
          "*PICTURE x.gif", "*SCENEEND"},
         {"g.vns:3: error: data file 'img\\face.bmp' does not exist (looked for 'face.bmp'); "
          "*PICTURE looks in the game's folder only, not in subfolders",
          "g.vns:4: warning: data file 'snd\\door.wav' is found only as 'Snd/Door.WAV', whose "
          "letter case differs",
          "g.vns:5: error: data file 'theme.mid' does not exist (looked for 'theme.mid')",
          "g.vns:6: error: data file 'x.gif' does not exist (looked for 'x.gif')"}},
        {"unknown keywords",
         {"*SCENE a", "*Goto a", "*GOTOa", "*", "*SCENEEND"},
         {"g.vns:2: warning: '*Goto' is no keyword, and the player skips the line; keywords "
          "are upper case: *GOTO",
          "g.vns:3: warning: '*GOTOa' is no keyword, and the player skips the line; a blank is "
          "missing after *GOTO",
          "g.vns:4: warning: '*' is no keyword, and the player skips the line"}},
        {"names defined twice",
         {"*ITEM", "key", "key 1", "*ITEMEND", "*SCENE a", "*LABEL L", "*LABEL L", "*GOTO L",
          "*SCENEEND"},
         {"g.vns:2: warning: item 'key' is defined again on line 3, and that later definition "
          "wins",
          "g.vns:6: warning: name 'L' is defined again on line 7, and that later definition "
          "wins"}},
        {"items and flags that do not exist",
         {"*ITEM", "coin", "*ITEMEND", "*SCENE a", "*GETITEM ghost", "*IF I(ghost)==1 a",
          "*F(1)=I(coin)", "*F(600)=I(0)", "*IF F(F(513))==0 a", "*SCENEEND"},
         {"g.vns:5: warning: item 'ghost' is not declared in any *ITEM block",
          "g.vns:6: warning: item 'ghost' is not declared in any *ITEM block",
          "g.vns:8: warning: flag F(600) does not exist (flags are F(0) to F(512)): it reads 0 "
          "and keeps nothing",
          "g.vns:9: warning: flag F(513) does not exist (flags are F(0) to F(512)): it reads 0 "
          "and keeps nothing"}},
        {"patterns that never run",
         {"*SCENE a", ">open door", "1", ">", "2", ">door open", "3", ">look", "*END", "*SCENEEND"},
         {"g.vns:2: warning: this pattern never runs: the pattern on line 6 has the same words, "
          "and the later one wins",
          "g.vns:4: warning: this pattern has no words, so it never matches"}},
        {"blocks left open and a scene never entered",
         {"*SCENE a", "*SCENE b", "*SCENEEND", "*ITEM", "lamp"},
         {"g.vns:1: warning: *SCENE has no *SCENEEND: its patterns include those of the "
          "scenes below",
          "g.vns:2: warning: scene 'b' is never entered: no *GOTO, *GOSUB, *IF or *YESNO "
          "leads to it or to a label in it",
          "g.vns:4: warning: *ITEM has no *ITEMEND: the item block runs to the end of the "
          "script"}},
        {"lines no pass reaches",
         {"*TITLE t", "lost", "*SCENE a", ">look", "x", "*END", "# note", "*TITLE u", "dead",
          "also dead", "*LABEL L", "alive", "*END", "*SCENEEND", "after", "*SCENE GLOBAL",
          "*SCENEEND"},
         {"g.vns:2: warning: no pass reaches this line: play starts after the first *SCENE",
          "g.vns:9: warning: no pass reaches this line: it follows the block end on line 6 with "
          "no *LABEL or pattern between",
          "g.vns:15: warning: no pass reaches this line: it follows the block end on line 13 "
          "with no *LABEL or pattern between"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(findings(c.script, DataFiles{folder.path(), std::nullopt}), c.expected);
    }
}

TEST(Check, DataFilesInAnArchiveAreLookedUpInUpperCase) {
    const DataFiles archive{{}, Lines{"ROOM.BMP", "door.wav"}};
    EXPECT_EQ(findings({"*SCENE a", "*PICTURE room", "*SE door", "*SCENEEND"}, archive),
              Lines{"g.vns:3: error: data file 'door.wav' is not in the archive (it holds "
                    "'door.wav', but the player looks names up in upper case)"});
}

}  // namespace
}  // namespace vornal::check

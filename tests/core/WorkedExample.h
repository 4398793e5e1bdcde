// The small game that the language reference walks through: two scenes, a GLOBAL scene,
// items, a NOMATCH block and a subroutine.
#pragma once

#include <string>
#include <vector>

namespace vornal::test {

inline const std::vector<std::string> kWorkedExample = {
    "*ITEM",
    "lamp 1",
    "key",
    "*ITEMEND",
    "*SCENE hall",
    "You stand in a dark hall.",
    ">look",
    "A door leads north.",
    ">open door",
    "*GOTO cellar",
    ">NOMATCH",
    "Nothing happens.",
    "*SCENEEND",
    "*SCENE cellar",
    "It is cold here.",
    ">look",
    "*GOSUB describe",
    "*END",
    "*LABEL describe",
    "Old barrels stand along the wall.",
    "*END",
    "*SCENEEND",
    "*SCENE GLOBAL",
    ">items/inventory",
    "*ITEMLIST",
    "*SCENEEND",
};

}  // namespace vornal::test

// *GETITEM, *DELITEM and *ITEMLIST.
#include <array>

#include "player/core/EngineImpl.h"
#include "player/core/ScriptText.h"
#include "player/core/Texts.h"

namespace vornal {

void Engine::Impl::CmdGetItem(std::string_view line) {
    std::int32_t n = Game.ItemList.FindItem(GetToken(line, ' ', 1));
    if (n >= 0) Game.ItemList.Items(n).Value = 1;
}

void Engine::Impl::CmdDelItem(std::string_view line) {
    std::int32_t n = Game.ItemList.FindItem(GetToken(line, ' ', 1));
    if (n >= 0) Game.ItemList.Items(n).Value = 0;
}

void Engine::Impl::CmdItemList() {
    // The heading and the run of held names, joined without separators, in one addition.
    std::array<std::string, 2> lines{texts::ItemListHeading(), std::string()};
    for (std::size_t i = 0; i < Game.ItemList.Count(); ++i) {
        const sItem& item = Game.ItemList.Items(i);
        if (item.Value != 0) lines[1] += item.Name;
    }
    MsgMemo.appendLines(lines);
}

}  // namespace vornal

#include "pgn/game_list_columns.h"

#include "game/game_headers.h"

namespace {

constexpr int kUnfinished = 3;

std::u16string NameText(const std::optional<std::u16string>& name, bool toMove) {
    std::u16string text = toMove ? u"* " : u"";
    if (name) {
        text += *name;
    }
    return text;
}

}  // namespace

std::u16string WhiteColumnText(const GameHeaders& entry) {
    return NameText(entry.white, entry.IsRunningEmailGame() && entry.trait == 0);
}

std::u16string BlackColumnText(const GameHeaders& entry) {
    return NameText(entry.black, entry.IsRunningEmailGame() && entry.trait == 32);
}

std::u16string LastColumnText(const GameHeaders& entry) {
    if (entry.resultCode == kUnfinished) {
        return entry.lastMoveDate ? *entry.lastMoveDate : u"?";
    }
    return std::u16string(entry.ResultText(true));
}

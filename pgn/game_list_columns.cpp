#include "pgn/game_list_columns.h"

#include "game/game_headers.h"
#include "rules/square.h"

namespace {

ColumnParts NameParts(const std::optional<std::u16string>& name, bool toMove) {
    return {toMove ? u"* " : u"", name ? std::u16string_view(*name) : std::u16string_view()};
}

std::u16string Joined(ColumnParts parts) {
    std::u16string text(parts.mark);
    text += parts.text;
    return text;
}

}  // namespace

ColumnParts WhiteColumn(const GameHeaders& entry) {
    return NameParts(entry.white, entry.IsRunningEmailGame() && entry.trait == kWhite);
}

ColumnParts BlackColumn(const GameHeaders& entry) {
    return NameParts(entry.black, entry.IsRunningEmailGame() && entry.trait == kBlack);
}

ColumnParts LastColumn(const GameHeaders& entry) {
    if (entry.result == GameResult::Other) {
        return {u"", entry.lastMoveDate ? std::u16string_view(*entry.lastMoveDate) : u"?"};
    }
    return {u"", entry.ResultText(true)};
}

std::u16string WhiteColumnText(const GameHeaders& entry) {
    return Joined(WhiteColumn(entry));
}

std::u16string BlackColumnText(const GameHeaders& entry) {
    return Joined(BlackColumn(entry));
}

std::u16string LastColumnText(const GameHeaders& entry) {
    return Joined(LastColumn(entry));
}

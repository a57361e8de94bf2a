#include "game/exchange_rules.h"

#include <gtest/gtest.h>

#include <vector>

#include <ostream>

#include "game/game_headers.h"

namespace {

using namespace std::chrono;

struct TurnCase {
    const char* name;
    std::optional<std::u16string> player;  // the tag of the side to move
    std::u16string owner;
    Turn turn;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const TurnCase& c, std::ostream* os) {
    *os << c.name;
}

class WhoseTurnTest : public ::testing::TestWithParam<TurnCase> {};

TEST_P(WhoseTurnTest, ComparesTheSideToMoveWithTheOwner) {
    for (const std::uint16_t trait : {0, 32}) {
        GameHeaders game;
        game.trait = trait;
        (trait == 0 ? game.white : game.black) = GetParam().player;
        (trait == 0 ? game.black : game.white) = GetParam().owner;  // never looked at
        game.SetWhiteEmail(u"");
        EXPECT_EQ(WhoseTurn(game, GetParam().owner), GetParam().turn) << "trait " << trait;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, WhoseTurnTest,
    ::testing::Values(TurnCase{"same", u"Ann Smith", u"Ann Smith", Turn::Owner},
                      TurnCase{"caseDiffers", u"Ann Smith", u"ann SMITH", Turn::Owner},
                      TurnCase{"latin1", u"\u00e9LISE", u"\u00c9lise", Turn::Owner},
                      TurnCase{"latinExtended", u"\u0142UKASZ", u"\u0141ukasz", Turn::Owner},
                      TurnCase{"cyrillic", u"\u0438\u0412\u0410\u041d", u"\u0418\u0432\u0430\u043d",
                               Turn::Owner},
                      TurnCase{"prefix", u"Anne", u"Ann", Turn::Opponent},
                      TurnCase{"signsAreNotLetters", u"\u00f7", u"\u00d7", Turn::Opponent},
                      TurnCase{"bracketsAreNotLetters", u"{", u"[", Turn::Opponent},
                      TurnCase{"emptyTagIsANobody", u"", u"", Turn::Owner},
                      TurnCase{"unsetTag", std::nullopt, u"Ann", Turn::Unknown},
                      TurnCase{"unsetTagAndNoOwner", std::nullopt, u"", Turn::Unknown}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordExchange, PassesTheTurnAndDatesIt) {
    GameHeaders game;
    game.lastMove = 11;
    RecordExchange(game, u"05.06");
    EXPECT_EQ(game.trait, 32);
    EXPECT_EQ(game.lastMove, 12);
    RecordExchange(game, u"05.07");
    EXPECT_EQ(game.trait, 0);
    EXPECT_EQ(game.lastMove, 12);
    EXPECT_EQ(game.lastMoveDate, u"05.07");
}

TEST(ExchangeDateText, MonthFirstInUtc) {
    const auto at = [](int y, unsigned m, unsigned d, hours h) {
        return sys_days{year{y} / month{m} / day{d}} + h;
    };
    EXPECT_EQ(ExchangeDateText(at(2026, 5, 6, hours{0})), u"05.06");
    EXPECT_EQ(ExchangeDateText(at(2026, 12, 31, hours{23})), u"12.31");
    EXPECT_EQ(ExchangeDateText(at(1999, 1, 1, hours{12})), u"01.01");
}

TEST(DayOfGameDate, MonthAndDayIsTheLatestSuchDayUpToNow) {
    struct Case {
        std::u16string text;
        std::optional<std::int64_t> day;
    };
    const std::time_t kJuneFirst = 1748779200;  // 2025-06-01 12:00 UTC
    const std::int64_t today = kJuneFirst / 86400;
    const std::vector<Case> cases = {
        {u"06.01", today},
        {u"05.31", today - 1},
        {u"01.01", today - 151},
        // Not yet this year: last year's.
        {u"06.02", today + 1 - 365},
        {u"2025.06.01", today},
        {u"2024.12.31", today - 152},
        {u"?", std::nullopt},
        {u"2025.??.??", std::nullopt},
        {u"13.40", std::nullopt},
        {u"6.1.", std::nullopt},
        {u"", std::nullopt},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(DayOfGameDate(cases[i].text, kJuneFirst), cases[i].day) << "case " << i;
    }
}

}  // namespace

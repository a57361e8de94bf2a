#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "game/exchange_rules.h"
#include "game/game_headers.h"
#include "game/game_list_entry.h"
#include "game/letter_case.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/tree_test_support.h"

using Tag = std::optional<std::u16string>;

TEST(GameHeaders, RosterResultAndClearing) {
    GameHeaders headers;
    EXPECT_EQ(headers.white, u"White");
    EXPECT_EQ(headers.black, u"Black");
    EXPECT_FALSE(headers.IsComplete());
    headers.SetEvent(u"Correspondence");
    headers.SetDate(u"2026.03.01");
    headers.SetRound(u"1");
    headers.SetSite(u"E-mail");
    headers.ParseResult(u"*");
    EXPECT_TRUE(headers.IsComplete()) << "an unfinished result counts";
    using Setter = void (GameHeaders::*)(std::optional<std::u16string_view>);
    for (Setter setter : {&GameHeaders::SetWhite, &GameHeaders::SetBlack, &GameHeaders::SetEvent,
                          &GameHeaders::SetDate, &GameHeaders::SetRound, &GameHeaders::SetSite}) {
        GameHeaders copy = headers;
        (copy.*setter)(std::nullopt);
        EXPECT_FALSE(copy.IsComplete());
        (copy.*setter)(u"");
        EXPECT_TRUE(copy.IsComplete()) << "an empty text is still a tag";
    }
    headers.SetWhiteEmail(u"a@b");
    headers.SetBlackEmail(u"c@d");
    headers.SetLastMoveDate(u"01.02");
    headers.lastMove = 12;
    headers.trait = 32;
    headers.lastMoveRead = headers.traitRead = true;
    headers.ClearTags();
    for (const Tag* tag :
         {&headers.white, &headers.black, &headers.event, &headers.date, &headers.round,
          &headers.site, &headers.whiteEmail, &headers.blackEmail, &headers.lastMoveDate}) {
        EXPECT_EQ(*tag, std::nullopt);
    }
    EXPECT_EQ(headers.result, GameResult::Unset);
    EXPECT_FALSE(headers.IsComplete());
    EXPECT_EQ(headers.lastMove + headers.trait + headers.lastMoveRead + headers.traitRead, 0);
}

TEST(GameHeaders, ResultsReadWrittenAndStored) {
    const struct {
        std::u16string_view text;
        int code;
        std::u16string_view written, compact;
    } rows[] = {
        {u"1-0", 0, u"1-0", u"1-0"},
        {u"0-1", 2, u"0-1", u"0-1"},
        {u"1/2-1/2", 1, u"1/2-1/2", u"\u00BD-\u00BD"},
        {u"\u00BD-\u00BD", 1, u"1/2-1/2", u"\u00BD-\u00BD"},
    };
    for (const auto& row : rows) {
        GameHeaders headers;
        headers.ParseResult(row.text);
        EXPECT_EQ(static_cast<int>(headers.result), row.code) << Narrow(row.text);
        EXPECT_EQ(headers.ResultText(false), row.written);
        EXPECT_EQ(headers.ResultText(true), row.compact);
    }
    for (const char16_t* other :
         {u"*", u"1-0 ", u" 0-1", u"", u"1/2", u"\u00BD", u"1-1", u"0-1*"}) {
        GameHeaders headers;
        headers.ParseResult(other);
        EXPECT_EQ(headers.result, GameResult::Other) << Narrow(other);
        EXPECT_EQ(headers.ResultText(true), u"*");
    }
    EXPECT_EQ(GameHeaders().ResultText(false), u"*") << "unset";
    const struct {
        int code, kept;
        std::u16string_view text;
    } stored[] = {
        {1, 1, u"1/2-1/2"}, {3, 3, u"*"}, {258, 2, u"0-1"}, {512, 0, u"1-0"}, {-1, 255, u"*"}};
    for (const auto& row : stored) {
        GameHeaders headers;
        headers.SetResultCode(row.code);
        EXPECT_EQ(static_cast<int>(headers.result), row.kept) << row.code;
        EXPECT_EQ(headers.ResultText(false), row.text);
    }
}

TEST(Exchange, TurnPassesAndCountsWhiteMoves) {
    GameHeaders headers;
    const std::pair<int, int> steps[] = {{32, 1}, {0, 1}, {32, 2}, {0, 2}};
    for (const auto& [trait, lastMove] : steps) {
        RecordExchange(headers, std::u16string(1, static_cast<char16_t>(u'0' + lastMove)));
        EXPECT_EQ(headers.trait, trait);
        EXPECT_EQ(headers.lastMove, lastMove);
        EXPECT_EQ(headers.lastMoveDate, std::u16string(1, static_cast<char16_t>(u'0' + lastMove)));
    }
    headers.lastMove = 65535;
    headers.AdvanceAfterExchange();
    EXPECT_EQ(headers.lastMove, 65535) << "saturates instead of wrapping to 0";
    EXPECT_EQ(headers.trait, 32);
}

TEST(Exchange, CorrespondenceTagsAndRunningGames) {
    const std::pair<std::u16string_view, int> traits[] = {
        {u"White", 0}, {u"white", 0},   {u"wHiTe", 0},   {u"Black", 32}, {u"", 32},
        {u"W", 32},    {u"Whites", 32}, {u" White", 32}, {u"0", 32}};
    for (const auto& [value, trait] : traits) {
        EXPECT_EQ(ParseTrait(value), trait) << Narrow(value);
    }
    const std::pair<std::u16string_view, int> lastMoves[] = {
        {u"0", 0},  {u"42", 42}, {u"", 0},   {u"abc", 0},       {u"17b", 17},
        {u" 9", 9}, {u"\t7", 7}, {u"-3", 0}, {u"65535", 65535}, {u"99999999999", 65535}};
    for (const auto& [value, lastMove] : lastMoves) {
        EXPECT_EQ(ParseLastMove(value), lastMove) << Narrow(value);
    }
    GameHeaders game;
    game.ParseResult(u"*");
    EXPECT_FALSE(CanExchange(game));
    game.SetWhiteEmail(u"");
    EXPECT_TRUE(CanExchange(game)) << "an empty address still makes an e-mail game";
    game.ParseResult(u"1-0");
    EXPECT_FALSE(CanExchange(game));
    game.trait = 32;
    game.SetBlack(u"Bob");
    EXPECT_EQ(game.PlayerToMove(), u"Bob");
    game.SetBlack(std::nullopt);
    EXPECT_EQ(game.PlayerToMove(), u"");
}

TEST(Exchange, WhoseTurnComparesNamesInAnyLetterCase) {
    const struct {
        Tag player;
        std::u16string owner;
        Turn turn;
    } rows[] = {
        {u"Ann Smith", u"ann SMITH", Turn::Owner},
        {u"\u0438\u0412\u0410\u041d", u"\u0418\u0432\u0430\u043d", Turn::Owner},
        {u"Anne", u"Ann", Turn::Opponent},
        {u"", u"", Turn::Owner},
        {std::nullopt, u"Ann", Turn::Unknown},
        {std::nullopt, u"", Turn::Unknown},
    };
    for (const auto& row : rows) {
        for (const std::uint16_t trait : {0, 32}) {
            GameHeaders game;
            game.trait = trait;
            (trait == 0 ? game.white : game.black) = row.player;
            (trait == 0 ? game.black : game.white) = row.owner;  // never looked at
            EXPECT_EQ(WhoseTurn(game, row.owner), row.turn) << Narrow(row.owner) << " " << trait;
        }
    }
    // Each end of each folded range, and neighbours that are no pairs.
    EXPECT_TRUE(EqualsIgnoringLetterCase(
        u"AZ\u00C0\u00D6\u00D8\u00DE\u0100\u0136\u0139\u0147\u014A\u0176\u0178\u0179\u017D"
        u"\u0391\u03A1\u03A3\u03A9\u0410\u042F\u0400\u040F",
        u"az\u00E0\u00F6\u00F8\u00FE\u0101\u0137\u013A\u0148\u014B\u0177\u00FF\u017A\u017E"
        u"\u03B1\u03C1\u03C3\u03C9\u0430\u044F\u0450\u045F"));
    for (const auto& [a, b] : {std::pair{u"@", u"`"},
                               {u"[", u"{"},
                               {u"\u00D7", u"\u00F7"},
                               {u"\u00BF", u"\u00DF"},
                               {u"\u0130", u"\u0131"},
                               {u"\u0138", u"\u0139"},
                               {u"\u0149", u"\u014A"},
                               {u"\u03A2", u"\u03C2"},
                               {u"A", u"AA"}}) {
        EXPECT_FALSE(EqualsIgnoringLetterCase(a, b)) << Narrow(a) << " " << Narrow(b);
    }
}

TEST(Exchange, DatesOfTheExchangeTags) {
    using namespace std::chrono;
    const std::pair<sys_days, const char16_t*> dates[] = {
        {2026y / 5 / 6, u"05.06"}, {2026y / 12 / 31, u"12.31"}, {1999y / 1 / 1, u"01.01"}};
    for (const auto& [day, text] : dates) {
        EXPECT_EQ(ExchangeDateText(day + hours{23}), text);
    }
    const std::time_t kJuneFirst = 1748779200;  // 2025-06-01 12:00 UTC
    const std::int64_t today = kJuneFirst / 86400;
    const std::pair<std::u16string_view, std::optional<std::int64_t>> days[] = {
        {u"06.01", today},       {u"05.31", today - 1},         {u"01.01", today - 151},
        {u"06.02", today - 364}, {u"2025.06.01", today},        {u"2024.12.31", today - 152},
        {u"?", std::nullopt},    {u"2025.??.??", std::nullopt}, {u"13.40", std::nullopt},
        {u"6.1.", std::nullopt}, {u"00.10", std::nullopt},      {u"10.32", std::nullopt},
        {u"", std::nullopt}};
    for (const auto& [text, day] : days) {
        EXPECT_EQ(DayOfGameDate(text, kJuneFirst), day) << Narrow(text);
    }
}

TEST(GameListEntry, LongListIsFreedWithoutRecursion) {
    const std::int64_t baseline = LiveAllocations();
    auto head = std::make_unique<GameListEntry>();
    GameListEntry* last = head.get();
    for (int i = 1; i < 100000; ++i) {
        last = (last->nextEntry = std::make_unique<GameListEntry>()).get();
        last->SetEvent(u"An event name long enough to need its own block");
    }
    RunOnSmallStack([&] { head.reset(); });
    EXPECT_EQ(LiveAllocations(), baseline);
}

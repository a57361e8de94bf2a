#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "tests/support/allocation_counter.h"
#include "game/extra_tag.h"
#include "game/game_headers.h"
#include "game/game_list_entry.h"
#include "tests/support/tree_test_support.h"

namespace {

// The headers of a game whose seven-tag roster is complete.
GameHeaders CompleteHeaders() {
    GameHeaders headers;
    headers.SetEvent(u"Correspondence");
    headers.SetDate(u"2026.03.01");
    headers.SetRound(u"1");
    headers.SetSite(u"E-mail");
    headers.ParseResult(u"*");
    return headers;
}

// Every tag but White and Black is unset, the result unknown, White to move.
void ExpectUnsetBesidesThePlayers(const GameHeaders& headers) {
    EXPECT_EQ(headers.event, std::nullopt);
    EXPECT_EQ(headers.date, std::nullopt);
    EXPECT_EQ(headers.round, std::nullopt);
    EXPECT_EQ(headers.site, std::nullopt);
    EXPECT_EQ(headers.whiteEmail, std::nullopt);
    EXPECT_EQ(headers.blackEmail, std::nullopt);
    EXPECT_EQ(headers.lastMoveDate, std::nullopt);
    EXPECT_EQ(headers.result, GameResult::Unset);
    EXPECT_EQ(headers.lastMove, 0);
    EXPECT_EQ(headers.trait, 0);
}

}  // namespace

TEST(HeaderDefaults, NewRecordHasThePlayersButIsNotComplete) {
    GameHeaders headers;
    EXPECT_EQ(headers.white, u"White");
    EXPECT_EQ(headers.black, u"Black");
    ExpectUnsetBesidesThePlayers(headers);
    EXPECT_EQ(headers.fileOffset, 0u);
    EXPECT_EQ(headers.fileEnd, 0u);
    EXPECT_FALSE(headers.IsComplete());
}

TEST(Completeness, RosterWithAnUnfinishedResultIsComplete) {
    EXPECT_TRUE(CompleteHeaders().IsComplete());
}

TEST(Completeness, EachMissingRosterTagMakesItIncomplete) {
    using Setter = void (GameHeaders::*)(std::optional<std::u16string_view>);
    const Setter setters[] = {&GameHeaders::SetWhite, &GameHeaders::SetBlack,
                              &GameHeaders::SetEvent, &GameHeaders::SetDate,
                              &GameHeaders::SetRound, &GameHeaders::SetSite};
    for (Setter setter : setters) {
        GameHeaders headers = CompleteHeaders();
        (headers.*setter)(std::nullopt);
        EXPECT_FALSE(headers.IsComplete());
        (headers.*setter)(u"");
        EXPECT_TRUE(headers.IsComplete()) << "an empty text is still a tag";
    }
    GameHeaders unset = CompleteHeaders();
    unset.result = GameResult::Unset;
    EXPECT_FALSE(unset.IsComplete());
}

TEST(Setters, StoreACopyAndClearOnNull) {
    GameHeaders headers;
    std::u16string buffer = u"alice@example.org";
    headers.SetWhiteEmail(buffer);
    buffer[0] = u'X';
    EXPECT_EQ(headers.whiteEmail, u"alice@example.org");
    headers.SetWhiteEmail(u"bob@example.org");
    EXPECT_EQ(headers.whiteEmail, u"bob@example.org");
    headers.SetWhiteEmail(std::nullopt);
    EXPECT_EQ(headers.whiteEmail, std::nullopt);

    headers.SetBlackEmail(u"carol@example.org");
    headers.SetLastMoveDate(u"03.14");
    headers.SetWhite(u"Alice");
    headers.SetBlack(u"Carol");
    EXPECT_EQ(headers.blackEmail, u"carol@example.org");
    EXPECT_EQ(headers.lastMoveDate, u"03.14");
    EXPECT_EQ(headers.white, u"Alice");
    EXPECT_EQ(headers.black, u"Carol");
}

TEST(ClearTags, EverythingBecomesUnset) {
    GameHeaders headers = CompleteHeaders();
    headers.SetWhiteEmail(u"a@b");
    headers.SetBlackEmail(u"c@d");
    headers.SetLastMoveDate(u"01.02");
    headers.lastMove = 12;
    headers.trait = 32;
    headers.ClearTags();
    EXPECT_EQ(headers.white, std::nullopt) << "not even the default names stay";
    EXPECT_EQ(headers.black, std::nullopt);
    ExpectUnsetBesidesThePlayers(headers);
}

TEST(Results, ParseResultNeedsTheExactText) {
    const struct {
        std::u16string_view text;
        int code;
    } cases[] = {
        {u"1-0", 0}, {u"0-1", 2},    {u"1/2-1/2", 1}, {u"\u00BD-\u00BD", 1},
        {u"*", 3},   {u"1-0 ", 3},   {u" 0-1", 3},    {u"", 3},
        {u"1/2", 3}, {u"\u00BD", 3}, {u"1-1", 3},     {u"0-1*", 3},
    };
    for (const auto& c : cases) {
        GameHeaders headers;
        headers.ParseResult(c.text);
        EXPECT_EQ(static_cast<int>(headers.result), c.code) << Narrow(c.text);
    }
}

TEST(Results, ResultTextInBothForms) {
    const struct {
        int code;
        bool compact;
        std::u16string_view text;
    } cases[] = {
        {0, false, u"1-0"}, {0, true, u"1-0"}, {1, false, u"1/2-1/2"}, {1, true, u"\u00BD-\u00BD"},
        {2, false, u"0-1"}, {2, true, u"0-1"}, {3, false, u"*"},       {3, true, u"*"},
        {-1, false, u"*"},  {-1, true, u"*"},  {255, true, u"*"},
    };
    for (const auto& c : cases) {
        GameHeaders headers;
        headers.result = static_cast<GameResult>(c.code);
        EXPECT_EQ(headers.ResultText(c.compact), c.text) << c.code << " " << c.compact;
    }
}

TEST(Results, SetResultCodeKeepsTheLowEightBits) {
    const struct {
        int code;
        int stored;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {256 + 2, 2}, {512, 0}};
    for (const auto& c : cases) {
        GameHeaders headers;
        headers.SetResultCode(c.code);
        EXPECT_EQ(static_cast<int>(headers.result), c.stored) << c.code;
    }
}

TEST(Exchange, AdvanceAlternatesTheTraitAndCountsWhiteMoves) {
    GameHeaders headers;
    const struct {
        int trait;
        int lastMove;
    } steps[] = {{32, 1}, {0, 1}, {32, 2}, {0, 2}, {32, 3}};
    for (const auto& step : steps) {
        headers.AdvanceAfterExchange();
        EXPECT_EQ(headers.trait, step.trait);
        EXPECT_EQ(headers.lastMove, step.lastMove);
    }
}

TEST(Exchange, LastMoveDoesNotWrapToZero) {
    GameHeaders headers;
    headers.lastMove = 65535;
    headers.AdvanceAfterExchange();
    EXPECT_EQ(headers.lastMove, 65535);
    EXPECT_EQ(headers.trait, 32);
}

TEST(CorrespondenceTags, TraitIsWhiteOnlyForTheWordWhite) {
    const struct {
        std::u16string_view value;
        int trait;
    } cases[] = {{u"White", 0}, {u"white", 0}, {u"WHITE", 0},   {u"wHiTe", 0},   {u"Black", 32},
                 {u"", 32},     {u"W", 32},    {u"Whites", 32}, {u" White", 32}, {u"0", 32}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseTrait(c.value), c.trait) << Narrow(c.value);
    }
}

TEST(CorrespondenceTags, LastMoveIsTheNumberAtTheStart) {
    const struct {
        std::u16string_view value;
        int lastMove;
    } cases[] = {{u"0", 0},    {u"1", 1},  {u"42", 42}, {u"", 0},          {u"abc", 0},
                 {u"17b", 17}, {u" 9", 9}, {u"-3", 0},  {u"65535", 65535}, {u"99999999999", 65535}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseLastMove(c.value), c.lastMove) << Narrow(c.value);
    }
}

TEST(GameListEntry, HundredThousandEntriesAreDestroyedWithoutRecursion) {
    constexpr int kEntries = 100000;
    const std::int64_t baseline = LiveAllocations();
    auto head = std::make_unique<GameListEntry>();
    GameListEntry* last = head.get();
    for (int i = 1; i < kEntries; ++i) {
        last->nextEntry = std::make_unique<GameListEntry>();
        last = last->nextEntry.get();
        last->SetEvent(u"An event name long enough to need its own block");
    }
    RunOnSmallStack([&] { head.reset(); });
    EXPECT_EQ(LiveAllocations(), baseline);
}

TEST(ExtraTag, LongListIsDestroyedWithoutRecursion) {
    constexpr int kTags = 100000;
    const std::int64_t baseline = LiveAllocations();
    auto head = std::make_unique<ExtraTag>(u"Name", u"Value");
    ExtraTag* last = head.get();
    for (int i = 1; i < kTags; ++i) {
        last->next = std::make_unique<ExtraTag>(u"Name", u"Value");
        last = last->next.get();
    }
    RunOnSmallStack([&] { head.reset(); });
    EXPECT_EQ(LiveAllocations(), baseline);
}

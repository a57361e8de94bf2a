#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

#include "game/exchange_rules.h"
#include "game/game_document.h"
#include "game/game_observer.h"
#include "game/letter_case.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/tree_test_support.h"

using Moves = std::vector<MoveNode*>;

namespace {

// The display order as "san/depth " items, "( " and ") " around variations; counts too.
struct Recorder : DisplayOrderVisitor {
    void OnMove(const MoveNode& m) override {
        text += San(m) + "/" + std::to_string(m.depth) + " ";
    }
    void OnVariationStart(const MoveNode&) override { text += "( ", peak = std::max(peak, ++open); }
    void OnVariationEnd(const MoveNode&) override { text += ") ", --open; }
    std::string text;
    int open = 0, peak = 0;  // peak: the deepest nesting
};

std::string DisplayOrder(const Position& root) {
    Recorder recorder;
    WalkDisplayOrder(root.firstMove.get(), recorder);
    return recorder.text;
}

Moves ListOf(const Position& position) {
    Moves out;
    for (MoveNode* m = position.firstMove.get(); m != nullptr; m = m->nextSibling.get()) {
        out.push_back(m);
    }
    return out;
}

Moves MovesBelow(const Position& root) {
    Moves out = ListOf(root);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const Moves next = ListOf(*out[i]->child);
        out.insert(out.end(), next.begin(), next.end());
    }
    return out;
}

// Writes "name " into a shared log when told of a move, "name?san " when asked to choose.
struct View : GameObserver {
    View(std::string n, std::string& l) : name(std::move(n)), log(l) {}
    void OnCurrentChanged(Position* /*position*/) override { log += name + " "; }
    Position* ChooseAlternative(MoveNode* first) override {
        log += name + "?" + San(*first) + " ";
        return answer;
    }
    std::string name;
    std::string& log;
    Position* answer = nullptr;
};

}  // namespace

// Random edits, each checked for its effect, then the invariants and the walk; all freed.
TEST(MoveTree, RandomEditsKeepTheTreeWhole) {
    { SCOPED_TRACE("the trace stack takes its block before the count starts"); }
    const std::int64_t baseline = LiveAllocations();
    for (const unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        auto pick = [&random](std::size_t n) { return static_cast<int>(random() % n); };
        auto root = std::make_unique<Position>();
        for (int step = 0; step < 400; ++step) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
            const Moves moves = MovesBelow(*root);
            MoveNode* move = moves.empty() ? nullptr : moves[pick(moves.size())];
            Position& at = move == nullptr ? *root : pick(3) ? *move->child : *move->parent;
            Moves expected = ListOf(at);
            const int kind = moves.empty() ? 0 : pick(9);
            if (kind <= 4) {  // a new move, or (4) one that replaces another of the list
                const int slot = kind == 4 && !expected.empty() ? pick(expected.size()) : -1;
                Position* child = nullptr;
                for (int tries = 0; child == nullptr && tries < 9999; ++tries) {
                    child = at.AddMove(pick(64), pick(64), slot < 0 ? nullptr : expected[slot], 0);
                }
                (slot < 0 ? expected.emplace_back() : expected[slot]) =
                    child ? child->incomingMove : nullptr;
                EXPECT_TRUE(child == nullptr || ListOf(at) == expected);
                if (child != nullptr) {  // annotations go with the move when it is freed
                    child->SetComment(std::u16string(40, u'c'));
                    child->incomingMove->annotations = std::make_unique<MoveAnnotations>();
                }
            } else if (kind <= 6) {  // the variation holding `move` rises to the head
                MoveNode* opening = move;
                while (opening != nullptr && !IsAlternative(*opening)) {
                    opening = opening->parent->incomingMove;
                }
                Position& branch = opening != nullptr ? *opening->parent : *root;
                expected = ListOf(branch);
                std::erase(expected, opening);
                expected.insert(expected.begin(), opening != nullptr ? 1 : 0, opening);
                PromoteVariation(*move);
                EXPECT_EQ(ListOf(branch), expected);
            } else if (kind == 7) {  // an alternative leaves alone, a first move with the rest
                Position* parent = move->parent;
                expected = IsAlternative(*move) ? ListOf(*parent) : Moves{};
                std::erase(expected, move);
                MoveNode* next = IsAlternative(*move) ? nullptr : move->nextSibling.get();
                const MoveNodePtr cut = UnlinkMove(*move);
                EXPECT_TRUE(cut.get() == move && cut->parent == parent && !cut->prevSibling &&
                            cut->nextSibling.get() == next);
                EXPECT_EQ(ListOf(*parent), expected);
            } else {  // renumbered from `move` on with a right or a wrong depth
                const std::uint8_t was = move->depth,
                                   d = static_cast<std::uint8_t>(pick(2) ? was : pick(9));
                RenumberDepths(*move, d);
                EXPECT_EQ(static_cast<bool>(TreeInvariantsHold(*root)), d == was);
                RenumberDepths(*root->firstMove, 0);
            }
            ASSERT_TRUE(TreeInvariantsHold(*root));
            const Moves now = MovesBelow(*root);
            Recorder walk;  // every move once, and a variation opened and closed per alternative
            WalkDisplayOrder(root->firstMove.get(), walk);
            EXPECT_EQ(std::ranges::count(walk.text, '/') + walk.open, std::ssize(now));
            EXPECT_EQ(std::ranges::count(walk.text, '('),
                      std::ranges::count_if(now, [](MoveNode* m) { return IsAlternative(*m); }));
        }
        root.reset();
    }
    EXPECT_EQ(LiveAllocations(), baseline);
}

TEST(MoveTree, NestedLinesShowAndRiseAsUsersSee) {
    Position root;
    Position* e4 = PlayLine(root, {"e4"});
    PlayLine(*e4, {"e5", "Nf3"});
    PlayLine(*e4, {"c5", "Nf3", "d6"});
    Position* nc6 = PlayLine(*PlayLine(*e4, {"c5"}), {"Nc3", "Nc6"});
    PlayLine(*e4, {"e6"});
    EXPECT_EQ(DisplayOrder(root), "e4/0 e5/0 ( c5/1 Nf3/1 ( Nc3/2 Nc6/2 ) d6/1 ) ( e6/1 ) Nf3/0 ");
    PromoteVariation(*nc6->incomingMove);
    PromoteVariation(*nc6->incomingMove);
    EXPECT_EQ(DisplayOrder(root), "e4/0 c5/0 ( e5/1 Nf3/1 ) ( e6/1 ) Nc3/0 ( Nf3/1 d6/1 ) Nc6/0 ");
    EXPECT_TRUE(DisplayOrder(Position()).empty());
}

// Deep nesting, a million plies, long lists of tags and games: all handled on a small stack.
TEST(MoveTree, DeepNestingAndLongLinesNeedNoRecursion) {
    constexpr int kLevels = 10000, kPlies = 1000000;
    const std::int64_t baseline = LiveAllocations();
    auto root = std::make_unique<Position>();
    Position* deepest = NestVariations(*root, kLevels);
    EXPECT_EQ(deepest->incomingMove->depth, kLevels % 256) << "the one-byte depth wraps";
    EXPECT_EQ(LiveAllocations(root.get()) - baseline, 1 + 2 * 2 * kLevels);
    Recorder counts;
    RunOnSmallStack([&] { WalkDisplayOrder(root->firstMove.get(), counts); });
    EXPECT_EQ(std::ranges::count(counts.text, '/') + counts.open + counts.peak,
              2 * kLevels + 0 + kLevels);
    RunOnSmallStack([&] { RenumberDepths(*root->firstMove, 0); });
    RunOnSmallStack([&] { PromoteVariation(*deepest->incomingMove); });
    EXPECT_TRUE(TreeInvariantsHold(*root));
    EXPECT_FALSE(IsAlternative(*deepest->incomingMove)) << "raised although its depth reads 16";
    const std::int64_t whole = LiveAllocations(root.get());
    RunOnSmallStack([&] { UnlinkMove(*root->firstMove->nextSibling); });
    EXPECT_EQ(LiveAllocations(root.get()), whole - 2 * (2 * kLevels - 1)) << "all but one move";
    RunOnSmallStack([&] { root.reset(); });

    auto document = std::make_unique<GameDocument>(nullptr);
    Position* end = NestVariations(document->root, kPlies, false);
    Position* side = PlayLine(*end->incomingMove->parent, {"Nc6"});  // a variation at the end
    counts = {};
    RunOnSmallStack([&] { WalkDisplayOrder(document->root.firstMove.get(), counts); });
    EXPECT_EQ(std::ranges::count(counts.text, '/') + counts.peak, kPlies + 1 + 1);
    std::string().swap(counts.text);  // frees the text's block before the last count
    RunOnSmallStack([&] { PromoteVariation(*side->incomingMove); });
    RunOnSmallStack([&] { RenumberDepths(*document->root.firstMove, 0); });
    EXPECT_EQ(end->incomingMove->depth - side->incomingMove->depth, 1);
    EXPECT_TRUE(TreeInvariantsHold(document->root));
    document->lastMove = 60000, document->trait = kBlack;  // beyond one-byte move numbers
    int plies = 0;
    for (Position* p = document->FindLastMovePosition(); p && p->incomingMove; ++plies) {
        p = p->incomingMove->parent;
    }
    EXPECT_EQ(plies, 2 * 60000 - 1);
    document->SetEvent(u"A correspondence event with a name too long for small strings");
    document->AppendExtraTag(u"ECO", u"");
    document->ClearExtraTags();  // the list starts afresh
    auto games = std::make_unique<GameListEntry>();
    GameListEntry* lastGame = games.get();
    for (int i = 0; i < 100000; ++i) {
        const std::u16string name(1, static_cast<char16_t>(u'a' + i % 3));
        document->AppendExtraTag(name, u"a value long enough for a block of its own");
        lastGame = (lastGame->nextEntry = std::make_unique<GameListEntry>()).get();
        lastGame->SetEvent(u"An event name long enough to need its own block");
    }
    const ExtraTag& tag = *document->extraTags;  // in the order appended
    EXPECT_EQ(tag.name + tag.next->name + tag.next->next->name, u"abc");
    RunOnSmallStack([&] { document.reset(), games.reset(); });
    EXPECT_EQ(LiveAllocations(), baseline);
}

TEST(GameDocument, NavigationMovesAndTellsUpToTenSecondaryViewsAndOnePrimary) {
    GameDocument d(nullptr);  // 1.e4 e5 (1...c5 2.Nf3 d6 3.d4) 2.Nf3
    Position* e4 = PlayLine(d.root, {"e4"});
    Position* e5 = PlayLine(*e4, {"e5"});
    Position* e5Nf3 = PlayLine(*e5, {"Nf3"});
    Position* c5 = PlayLine(*e4, {"c5"});
    Position* c5Nf3 = PlayLine(*c5, {"Nf3"});
    PlayLine(*c5Nf3, {"d6", "d4"});
    std::string log;
    View primary("p", log), secondary("s", log);
    using Step = void (GameDocument::*)();
    auto expect = [&](Position* from, Step step, Position* to, const std::string& told) {
        log.clear();
        d.current = from;
        (d.*step)();
        EXPECT_EQ(d.GetCurrent(), to);
        EXPECT_EQ(log, told);
    };
    const Step back = &GameDocument::GoBack, forward = &GameDocument::GoForward;
    const Step mainLine = &GameDocument::GoToMainLine, last = &GameDocument::GoToLastMove;
    expect(&d.root, back, &d.root, "");
    expect(e5Nf3, forward, e5Nf3, "");
    expect(&d.root, forward, e4, "");
    expect(e4, forward, e4, "");  // only a primary view may choose a line
    ASSERT_TRUE(d.AttachView(&secondary, false));
    ASSERT_TRUE(d.AttachView(&primary, true));
    expect(e5Nf3, back, e5, "p s ");
    expect(e4, forward, e4, "p?e5 ");  // the user cancels
    primary.answer = c5;
    expect(e4, forward, c5, "p?e5 p s ");
    expect(c5Nf3, mainLine, e5, "p s ");
    expect(e5Nf3, mainLine, e5Nf3, "");
    expect(c5Nf3, &GameDocument::GoToStart, &d.root, "p s ");
    d.SetCurrent(nullptr);
    EXPECT_EQ(d.GetCurrent(), &d.root) << "a null position is refused";
    // The last exchanged position follows lastMove and trait along the main line only.
    const std::tuple<int, int, Position*> lastMoves[] = {
        {0, kWhite, &d.root}, {0, kBlack, &d.root}, {1, kBlack, e4},      {1, kWhite, e5},
        {2, kBlack, e5Nf3},   {2, kWhite, nullptr}, {3, kBlack, nullptr}, {40, kWhite, nullptr}};
    for (const auto& [lastMove, trait, expected] : lastMoves) {
        d.lastMove = static_cast<std::uint16_t>(lastMove);
        d.trait = static_cast<std::uint16_t>(trait);
        EXPECT_EQ(d.FindLastMovePosition(), expected) << lastMove << " " << trait;
        expect(e4, last, expected ? expected : &d.root, "p s ");
    }
    GameDocument setUp(nullptr);  // counts from the move number of its root, Black first
    SetFen(setUp.root, "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 2 10");
    Position* nf6 = PlayLine(setUp.root, {"Nf6"});
    setUp.lastMove = 10;
    EXPECT_EQ(setUp.FindLastMovePosition(), nf6);
    setUp.trait = kBlack;
    EXPECT_EQ(setUp.FindLastMovePosition(), nullptr) << "White's 10th move is not there";
    // Ten secondary views and one primary at most, each attached once.
    log.clear();
    d.DetachView(&primary);
    d.DetachView(&secondary);
    std::vector<std::unique_ptr<View>> views;
    for (int i = 0; i <= GameDocument::kMaxSecondaryViews + 2; ++i) {
        views.push_back(std::make_unique<View>(std::to_string(i), log));
        EXPECT_EQ(d.AttachView(views[i].get(), false), i < 10);
    }
    EXPECT_FALSE(d.AttachView(nullptr, false));
    EXPECT_TRUE(d.AttachView(views[11].get(), true));
    EXPECT_FALSE(d.AttachView(views[12].get(), true)) << "a second primary view";
    for (const int gone : {12, 3, 11}) {  // a stranger, a secondary, the primary view
        d.DetachView(views[gone].get());
    }
    EXPECT_TRUE(d.AttachView(views[3].get(), false)) << "the slot is free again";
    EXPECT_TRUE(d.AttachView(views[0].get(), true));
    d.DetachView(views[0].get());  // attached twice: gone from both places
    d.NotifyViews();
    EXPECT_EQ(log, "1 2 4 5 6 7 8 9 3 ");
}

TEST(GameHeaders, RosterResultsExchangeTurnsDatesAndNames) {
    GameHeaders h;
    EXPECT_FALSE(h.IsComplete());
    using Setter = void (GameHeaders::*)(std::optional<std::u16string_view>);
    const Setter roster[] = {&GameHeaders::SetEvent, &GameHeaders::SetDate,
                             &GameHeaders::SetRound, &GameHeaders::SetSite,
                             &GameHeaders::SetWhite, &GameHeaders::SetBlack};
    for (const Setter setter : roster) {
        (h.*setter)(u"");  // an empty text is still a tag
    }
    h.ParseResult(u"*");
    EXPECT_TRUE(h.IsComplete()) << "an unfinished result counts";
    for (const Setter setter : roster) {
        GameHeaders copy = h;
        (copy.*setter)(std::nullopt);
        EXPECT_FALSE(copy.IsComplete());
    }
    // A Result tag's text: its code, then the text written plain and compact.
    // clang-format off
    const std::tuple<const char16_t*, int, const char16_t*> results[] = {
        {u"1-0", 0, u"1-0 1-0"}, {u"0-1", 2, u"0-1 0-1"}, {u"1/2-1/2", 1, u"1/2-1/2 ½-½"}, {u"½-½", 1, u"1/2-1/2 ½-½"},
        {u"*", 3, u"* *"}, {u"1-0 ", 3, u"* *"}, {u" 0-1", 3, u"* *"}, {u"½", 3, u"* *"}, {u"1-1", 3, u"* *"},
        {u"", 3, u"* *"}, {u"0-1*", 3, u"* *"}};
    // clang-format on
    for (const auto& [text, code, written] : results) {
        h.ParseResult(text);
        EXPECT_EQ(static_cast<int>(h.result), code) << Narrow(text);
        EXPECT_EQ(std::u16string(h.ResultText(false)) + u" " + std::u16string(h.ResultText(true)),
                  written);
    }
    for (const auto& [code, kept] : {std::pair{1, 1}, {258, 2}, {512, 0}, {-1, 255}}) {
        h.SetResultCode(code);
        EXPECT_EQ(static_cast<int>(h.result), kept) << code;
    }
    EXPECT_EQ(h.ResultText(false), u"*");
    h.lastMove = 12, h.trait = 32, h.lastMoveRead = h.traitRead = true;
    h.ClearTags();
    EXPECT_FALSE(h.white || h.site || h.lastMoveRead || h.traitRead);
    EXPECT_EQ(h.lastMove + h.trait + static_cast<int>(h.result), -1) << "result unset";
    GameHeaders game;  // the exchange of moves
    for (const auto& [trait, lastMove] : {std::pair{32, 1}, {0, 1}, {32, 2}, {0, 2}}) {
        const std::u16string date(1, static_cast<char16_t>(u'0' + trait + lastMove));
        RecordExchange(game, date);
        EXPECT_EQ(game.trait + game.lastMove, trait + lastMove);
        EXPECT_EQ(game.lastMoveDate, date);
    }
    game.lastMove = 65535;
    game.AdvanceAfterExchange();
    EXPECT_EQ(game.lastMove, 65535) << "saturates instead of wrapping to 0";
    // A value read as a Trait tag and as a LastMove tag.
    // clang-format off
    const std::tuple<const char16_t*, int, int> values[] = {
        {u"White", kWhite, 0}, {u"wHiTe", kWhite, 0}, {u"Black", kBlack, 0}, {u"", kBlack, 0}, {u"W", kBlack, 0},
        {u"Whites", kBlack, 0}, {u" White", kBlack, 0}, {u"42", kBlack, 42}, {u"17b", kBlack, 17}, {u" \t9", kBlack, 9},
        {u"-3", kBlack, 0}, {u"65535", kBlack, 65535}, {u"65536", kBlack, 65535}, {u"99999999999", kBlack, 65535}};
    // clang-format on
    for (const auto& [text, trait, lastMove] : values) {
        EXPECT_EQ(ParseTrait(text) + ParseLastMove(text), trait + lastMove) << Narrow(text);
    }
    game.ParseResult(u"*");
    EXPECT_FALSE(CanExchange(game));
    game.SetWhiteEmail(u"");
    EXPECT_TRUE(CanExchange(game)) << "an empty address still makes an e-mail game";
    game.ParseResult(u"1-0");
    EXPECT_FALSE(CanExchange(game));
    game.trait = 32;
    EXPECT_EQ(game.PlayerToMove(), u"Black");
    using namespace std::chrono;
    EXPECT_EQ(ExchangeDateText(sys_days{2026y / 5 / 6} + hours{23}), u"05.06");
    EXPECT_EQ(ExchangeDateText(sys_days{1999y / 12 / 31}), u"12.31");
    const std::time_t kJuneFirst = 1748779200;  // 2025-06-01 12:00 UTC
    const std::int64_t today = kJuneFirst / 86400;
    // clang-format off
    const std::pair<const char16_t*, std::optional<std::int64_t>> days[] = {
        {u"06.01", today}, {u"05.31", today - 1}, {u"01.01", today - 151}, {u"06.02", today - 364},
        {u"2025.06.01", today}, {u"2024.12.31", today - 152}, {u"?", {}}, {u"2025.??.??", {}},
        {u"13.40", {}}, {u"00.10", {}}, {u"10.32", {}}, {u"6.1.", {}}, {u"", {}}};
    // clang-format on
    for (const auto& [text, day] : days) {
        EXPECT_EQ(DayOfGameDate(text, kJuneFirst), day) << Narrow(text);
    }
    // Whose turn: the player to move against the owner's name, in any letter case.
    const std::tuple<std::optional<std::u16string>, std::u16string, Turn> rows[] = {
        {u"Ann Smith", u"ann SMITH", Turn::Owner},
        {u"Anne", u"Ann", Turn::Opponent},
        {u"", u"", Turn::Owner},
        {std::nullopt, u"", Turn::Unknown}};
    for (const auto& [player, owner, turn] : rows) {
        for (const std::uint16_t trait : {0, 32}) {
            GameHeaders game;
            game.trait = trait;
            (trait == 0 ? game.white : game.black) = player;
            (trait == 0 ? game.black : game.white) = owner;
            EXPECT_EQ(WhoseTurn(game, owner), turn) << Narrow(owner) << " " << trait;
        }
    }
    // Each end of each folded range, and neighbours that make no pair.
    EXPECT_TRUE(EqualsIgnoringLetterCase(u"AZÀÖØÞĀĶĹŇŊŶŸŹŽΑΡΣΩАЯЀЏ", u"azàöøþāķĺňŋŷÿźžαρσωаяѐџ"));
    const std::u16string_view a = u"@[×¿İĸŉ\u03A2", b = u"`{÷ßıĹŊς";
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_FALSE(EqualsIgnoringLetterCase(a.substr(i, 1), b.substr(i, 1))) << i;
    }
    EXPECT_FALSE(EqualsIgnoringLetterCase(u"A", u"AA"));
}

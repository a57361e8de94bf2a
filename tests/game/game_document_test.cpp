#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/game_document.h"
#include "game/game_observer.h"
#include "rules/fen.h"
#include "tests/support/tree_test_support.h"

namespace {

// A view that writes every call it receives into a shared log, and answers
// ChooseAlternative with a preset position.
class RecordingView : public GameObserver {
public:
    RecordingView(std::string viewName, std::vector<std::string>& sharedLog)
        : name(std::move(viewName)), log(sharedLog) {}

    void OnCurrentChanged(Position* position) override {
        log.push_back(name + " shows");
        shown.push_back(position);
    }
    Position* ChooseAlternative(MoveNode* firstMove) override {
        log.push_back(name + " chooses");
        offered.push_back(firstMove);
        return answer;
    }

    std::string name;
    std::vector<std::string>& log;
    std::vector<Position*> shown;
    std::vector<MoveNode*> offered;
    Position* answer = nullptr;
};

// 1.e4 e5 (1...c5 2.Nf3) 2.Nf3 in a document.
struct SicilianDocument {
    GameDocument document{nullptr};
    Position* afterE4 = PlayLine(document.root, {"e4"});
    Position* afterE5 = PlayLine(*afterE4, {"e5"});
    Position* afterE5Nf3 = PlayLine(*afterE5, {"Nf3"});
    Position* afterC5 = PlayLine(*afterE4, {"c5"});
    Position* afterC5Nf3 = PlayLine(*afterC5, {"Nf3"});
    std::vector<std::string> log;
    RecordingView primary{"primary", log};
    RecordingView secondary{"secondary", log};
};

// Tests on the Sicilian document, with no view attached at the start.
class SicilianTest : public testing::Test {
protected:
    SicilianDocument game;
    GameDocument& document = game.document;
};
using Navigation = SicilianTest;
using GoToLastMove = SicilianTest;

}  // namespace

TEST(GameDocumentCreation, StartsAtTheStandardRootWithNothingAttached) {
    int fileStandIn = 0;
    GamesFile* file = reinterpret_cast<GamesFile*>(&fileStandIn);
    GameDocument document(file);
    EXPECT_EQ(document.gamesFile, file);
    EXPECT_EQ(document.GetCurrent(), &document.root);
    EXPECT_EQ(document.root.firstMove, nullptr);
    EXPECT_EQ(document.root.GetSquare(Sq("e1")), kKing);
    EXPECT_EQ(document.primaryView, nullptr);
    EXPECT_EQ(document.viewCount, 0);
    EXPECT_EQ(document.extraTags, nullptr);
    EXPECT_EQ(document.saveMode, 0u);
    EXPECT_EQ(document.white, u"White");
    EXPECT_EQ(document.black, u"Black");
    EXPECT_EQ(document.result, GameResult::Unset);
    EXPECT_EQ(document.nextEntry, nullptr);
}

TEST_F(Navigation, GoBackAtTheRootAndGoForwardAtTheEndNotifyNobody) {
    ASSERT_TRUE(document.AttachView(&game.primary, true));
    ASSERT_TRUE(document.AttachView(&game.secondary, false));
    document.GoBack();
    EXPECT_EQ(document.GetCurrent(), &document.root);
    document.current = game.afterE5Nf3;
    document.GoForward();
    EXPECT_EQ(document.GetCurrent(), game.afterE5Nf3);
    EXPECT_TRUE(game.log.empty());
}

TEST_F(Navigation, GoBackAndGoForwardAlongASingleLine) {
    ASSERT_TRUE(document.AttachView(&game.secondary, false));
    document.GoForward();
    EXPECT_EQ(document.GetCurrent(), game.afterE4) << "no alternative: no view is asked";
    document.current = game.afterE5Nf3;
    document.GoBack();
    EXPECT_EQ(document.GetCurrent(), game.afterE5);
    EXPECT_EQ(game.secondary.shown, (std::vector<Position*>{game.afterE4, game.afterE5}));
}

TEST_F(Navigation, GoForwardAtABranchWithoutPrimaryViewDoesNothing) {
    ASSERT_TRUE(document.AttachView(&game.secondary, false));
    document.current = game.afterE4;
    game.secondary.answer = game.afterC5;  // a secondary view is never asked
    document.GoForward();
    EXPECT_EQ(document.GetCurrent(), game.afterE4);
    EXPECT_TRUE(game.log.empty());
}

TEST_F(Navigation, GoForwardAtABranchAsksThePrimaryView) {
    ASSERT_TRUE(document.AttachView(&game.primary, true));
    ASSERT_TRUE(document.AttachView(&game.secondary, false));
    document.current = game.afterE4;

    document.GoForward();  // the user cancels
    EXPECT_EQ(document.GetCurrent(), game.afterE4);
    EXPECT_EQ(game.log, (std::vector<std::string>{"primary chooses"}));
    EXPECT_EQ(game.primary.offered, (std::vector<MoveNode*>{game.afterE4->firstMove.get()}));

    game.log.clear();
    game.primary.answer = game.afterC5;
    document.GoForward();
    EXPECT_EQ(document.GetCurrent(), game.afterC5);
    EXPECT_EQ(game.log,
              (std::vector<std::string>{"primary chooses", "primary shows", "secondary shows"}));
}

TEST_F(Navigation, GoToMainLineReturnsToTheBranchPoint) {
    ASSERT_TRUE(document.AttachView(&game.primary, true));
    document.current = game.afterC5Nf3;
    document.GoToMainLine();
    EXPECT_EQ(document.GetCurrent(), game.afterE5);
    EXPECT_EQ(game.primary.shown, (std::vector<Position*>{game.afterE5}));

    document.current = game.afterE5Nf3;
    document.GoToMainLine();
    document.current = &document.root;
    document.GoToMainLine();
    EXPECT_EQ(game.primary.shown.size(), 1u) << "on the main line nothing happens";
}

TEST_F(Navigation, GoToStartSetCurrentAndGetCurrent) {
    ASSERT_TRUE(document.AttachView(&game.primary, true));
    document.SetCurrent(game.afterC5);
    EXPECT_EQ(document.GetCurrent(), game.afterC5);
    document.SetCurrent(nullptr);
    EXPECT_EQ(document.GetCurrent(), game.afterC5) << "a null position is refused";
    document.Reserved();
    document.GoToStart();
    EXPECT_EQ(document.GetCurrent(), &document.root);
    EXPECT_EQ(game.primary.shown, (std::vector<Position*>{game.afterC5, &document.root}));
}

TEST_F(Navigation, ViewsAreToldPrimaryFirstThenInAttachmentOrder) {
    RecordingView third("third", game.log);
    ASSERT_TRUE(document.AttachView(&game.secondary, false));
    ASSERT_TRUE(document.AttachView(&third, false));
    ASSERT_TRUE(document.AttachView(&game.primary, true));
    document.NotifyViews();
    EXPECT_EQ(game.log,
              (std::vector<std::string>{"primary shows", "secondary shows", "third shows"}));
}

TEST(ViewAttachment, TenSecondaryViewsAndOnePrimaryAtMost) {
    GameDocument document(nullptr);
    std::vector<std::string> log;
    std::vector<std::unique_ptr<RecordingView>> views;
    for (int i = 0; i <= GameDocument::kMaxSecondaryViews; ++i) {
        views.push_back(std::make_unique<RecordingView>(std::to_string(i), log));
    }
    for (int i = 0; i < GameDocument::kMaxSecondaryViews; ++i) {
        EXPECT_TRUE(document.AttachView(views[static_cast<std::size_t>(i)].get(), false));
    }
    EXPECT_FALSE(document.AttachView(views.back().get(), false)) << "an eleventh";
    EXPECT_EQ(document.viewCount, GameDocument::kMaxSecondaryViews);

    RecordingView first("first", log);
    RecordingView second("second", log);
    EXPECT_TRUE(document.AttachView(&first, true));
    EXPECT_FALSE(document.AttachView(&second, true)) << "a second primary view";
    EXPECT_EQ(document.primaryView, &first);
    EXPECT_FALSE(document.AttachView(nullptr, false));

    document.DetachView(&first);
    EXPECT_EQ(document.primaryView, nullptr);
    EXPECT_TRUE(document.AttachView(&second, true)) << "the slot is free again";
}

TEST(ViewAttachment, DetachingKeepsTheOrderOfTheOthers) {
    GameDocument document(nullptr);
    std::vector<std::string> log;
    RecordingView a("a", log), b("b", log), c("c", log), stranger("stranger", log);
    ASSERT_TRUE(document.AttachView(&a, false));
    ASSERT_TRUE(document.AttachView(&b, false));
    ASSERT_TRUE(document.AttachView(&c, false));
    document.DetachView(&stranger);
    EXPECT_EQ(document.viewCount, 3);
    document.DetachView(&b);
    EXPECT_EQ(document.viewCount, 2);
    document.NotifyViews();
    EXPECT_EQ(log, (std::vector<std::string>{"a shows", "c shows"}));
    EXPECT_TRUE(document.AttachView(&b, false));
    log.clear();
    document.NotifyViews();
    EXPECT_EQ(log, (std::vector<std::string>{"a shows", "c shows", "b shows"}));
}

TEST(ViewAttachment, AViewAttachedTwiceLeavesNoPointerBehind) {
    GameDocument document(nullptr);
    std::vector<std::string> log;
    RecordingView view("view", log);
    ASSERT_TRUE(document.AttachView(&view, true));
    ASSERT_TRUE(document.AttachView(&view, false));
    document.DetachView(&view);
    EXPECT_EQ(document.primaryView, nullptr);
    EXPECT_EQ(document.viewCount, 0);
    document.NotifyViews();
    EXPECT_TRUE(log.empty());
}

namespace {

struct LastMoveCase {
    int lastMove;
    int trait;
    int expectedPlies;  // plies from the root along the main line; -1 for none
};

// The position `plies` first moves below the root.
Position* MainLinePosition(Position& root, int plies) {
    Position* position = &root;
    for (int i = 0; i < plies; ++i) {
        position = position->firstMove->child.get();
    }
    return position;
}

// What FindLastMovePosition gives once `lastMove` and `trait` are set.
Position* LastMovePosition(GameDocument& document, int lastMove, int trait) {
    document.lastMove = static_cast<std::uint16_t>(lastMove);
    document.trait = static_cast<std::uint16_t>(trait);
    return document.FindLastMovePosition();
}

}  // namespace

TEST(FindLastMovePosition, FollowsLastMoveAndTraitAlongTheMainLine) {
    const LastMoveCase cases[] = {
        {0, kWhite, 0},  {0, kBlack, 0},   // nothing exchanged yet: the root
        {1, kBlack, 1},                    // White has played 1.e4
        {1, kWhite, 2},                    // Black has answered 1...e5
        {2, kBlack, 3},  {2, kWhite, -1},  // the main line ends at 2.Nf3
        {3, kBlack, -1}, {40, kWhite, -1},
    };
    SicilianDocument game;
    GameDocument& document = game.document;
    for (const LastMoveCase& c : cases) {
        Position* expected =
            c.expectedPlies < 0 ? nullptr : MainLinePosition(document.root, c.expectedPlies);
        EXPECT_EQ(LastMovePosition(document, c.lastMove, c.trait), expected)
            << "lastMove " << c.lastMove << " trait " << c.trait;
    }
}

TEST(FindLastMovePosition, IgnoresVariations) {
    SicilianDocument game;
    GameDocument& document = game.document;
    PlayLine(*game.afterC5Nf3, {"d6", "d4"});  // 3.d4 exists only in the variation
    EXPECT_EQ(LastMovePosition(document, 3, kBlack), nullptr);
}

TEST(FindLastMovePosition, StartsCountingFromTheMoveNumberOfASetUpRoot) {
    GameDocument document(nullptr);
    ASSERT_TRUE(ReadFen(document.root,
                        u"r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 2 10"));
    Position* afterNf6 = PlayLine(document.root, {"Nf6"});
    Position* afterNc3 = PlayLine(*afterNf6, {"Nc3"});
    EXPECT_EQ(LastMovePosition(document, 10, kWhite), afterNf6);
    EXPECT_EQ(LastMovePosition(document, 11, kBlack), afterNc3);
    EXPECT_EQ(LastMovePosition(document, 10, kBlack), nullptr) << "White's 10th move is not there";
}

TEST(FindLastMovePosition, CountsPastTheOneByteMoveNumbers) {
    GameDocument document(nullptr);
    Position* end = ShuffleKnights(document.root, 2 * 300);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(LastMovePosition(document, 300, kBlack), MainLinePosition(document.root, 599));
    EXPECT_EQ(LastMovePosition(document, 300, kWhite), end);
    // 300 modulo 256: the early move, not the late one.
    EXPECT_EQ(LastMovePosition(document, 44, kWhite), MainLinePosition(document.root, 88));
}

TEST_F(GoToLastMove, GoesToTheLastExchangedPositionOrTheRoot) {
    ASSERT_TRUE(document.AttachView(&game.primary, true));
    document.lastMove = 1;
    document.trait = kWhite;
    document.GoToLastMove();
    EXPECT_EQ(document.GetCurrent(), game.afterE5);

    document.lastMove = 7;  // past the end of the main line
    document.GoToLastMove();
    EXPECT_EQ(document.GetCurrent(), &document.root);
    EXPECT_EQ(game.primary.shown, (std::vector<Position*>{game.afterE5, &document.root}));
}

TEST(ExtraTags, KeptInTheOrderTheyWereAppended) {
    GameDocument document(nullptr);
    document.AppendExtraTag(u"ECO", u"B20");
    document.AppendExtraTag(u"Annotator", u"Someone");
    document.AppendExtraTag(u"PlyCount", u"42");
    std::vector<std::u16string> names;
    for (const ExtraTag* tag = document.extraTags.get(); tag != nullptr; tag = tag->next.get()) {
        names.push_back(tag->name + u"=" + tag->value);
    }
    EXPECT_EQ(names,
              (std::vector<std::u16string>{u"ECO=B20", u"Annotator=Someone", u"PlyCount=42"}));
    document.ClearExtraTags();
    EXPECT_EQ(document.extraTags, nullptr);
    document.AppendExtraTag(u"ECO", u"C00");
    ASSERT_NE(document.extraTags, nullptr);
    EXPECT_EQ(document.extraTags->value, u"C00");
    EXPECT_EQ(document.extraTags->next, nullptr);
}

TEST(ExtraTags, LongListIsBuiltAndDestroyedWithoutRecursion) {
    constexpr int kTags = 100000;
    auto document = std::make_unique<GameDocument>(nullptr);
    for (int i = 0; i < kTags; ++i) {
        document->AppendExtraTag(u"Tag", u"value");
    }
    int count = 0;
    for (const ExtraTag* tag = document->extraTags.get(); tag != nullptr; tag = tag->next.get()) {
        ++count;
    }
    EXPECT_EQ(count, kTags);
    RunOnSmallStack([&] { document.reset(); });
    EXPECT_EQ(document, nullptr);
}

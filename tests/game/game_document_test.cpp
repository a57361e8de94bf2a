#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/game_document.h"
#include "game/game_observer.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/tree_test_support.h"

namespace {

// Writes every call into a shared log; ChooseAlternative answers `answer`.
class View : public GameObserver {
public:
    View(std::string viewName, std::vector<std::string>& sharedLog)
        : name(std::move(viewName)), log(sharedLog) {}
    void OnCurrentChanged(Position* /*position*/) override { log.push_back(name + " shows"); }
    Position* ChooseAlternative(MoveNode* firstMove) override {
        log.push_back(name + " chooses " + San(*firstMove));
        return answer;
    }
    std::string name;
    std::vector<std::string>& log;
    Position* answer = nullptr;
};

// 1.e4 e5 (1...c5 2.Nf3) 2.Nf3, with a primary and a secondary view that log.
struct Sicilian : testing::Test {
    GameDocument document{nullptr};
    Position* e4 = PlayLine(document.root, {"e4"});
    Position* e5 = PlayLine(*e4, {"e5"});
    Position* e5Nf3 = PlayLine(*e5, {"Nf3"});
    Position* c5 = PlayLine(*e4, {"c5"});
    Position* c5Nf3 = PlayLine(*c5, {"Nf3"});
    std::vector<std::string> log;
    View primary{"primary", log};
    View secondary{"secondary", log};
    // Runs `step` from `from` and expects where it ends and what the views were told.
    void Expect(Position* from, void (GameDocument::*step)(), Position* to,
                std::vector<std::string> told) {
        log.clear();
        document.current = from;
        (document.*step)();
        EXPECT_EQ(document.GetCurrent(), to);
        EXPECT_EQ(log, told);
    }
};

}  // namespace

TEST_F(Sicilian, NavigationMovesAndTellsTheViews) {
    GameDocument& d = document;
    Expect(&d.root, &GameDocument::GoBack, &d.root, {});
    Expect(e5Nf3, &GameDocument::GoForward, e5Nf3, {});
    Expect(&d.root, &GameDocument::GoForward, e4, {});
    Expect(e4, &GameDocument::GoForward, e4, {});  // only a primary view may choose a line
    ASSERT_TRUE(d.AttachView(&secondary, false));
    ASSERT_TRUE(d.AttachView(&primary, true));
    const std::vector<std::string> both = {"primary shows", "secondary shows"};
    Expect(e5Nf3, &GameDocument::GoBack, e5, both);
    Expect(e4, &GameDocument::GoForward, e4, {"primary chooses e5"});  // the user cancels
    primary.answer = c5;
    Expect(e4, &GameDocument::GoForward, c5,
           {"primary chooses e5", "primary shows", "secondary shows"});
    Expect(c5Nf3, &GameDocument::GoToMainLine, e5, both);
    Expect(e5Nf3, &GameDocument::GoToMainLine, e5Nf3, {});
    Expect(&d.root, &GameDocument::GoToMainLine, &d.root, {});
    Expect(c5Nf3, &GameDocument::GoToStart, &d.root, both);
    d.lastMove = 1;
    d.trait = kWhite;
    Expect(&d.root, &GameDocument::GoToLastMove, e5, both);
    d.lastMove = 7;  // past the end of the main line
    Expect(e5, &GameDocument::GoToLastMove, &d.root, both);
    d.SetCurrent(nullptr);
    EXPECT_EQ(d.GetCurrent(), &d.root) << "a null position is refused";
}

TEST_F(Sicilian, LastMovePositionFollowsTheMainLine) {
    GameDocument& d = document;
    PlayLine(*c5Nf3, {"d6", "d4"});  // 3.d4 only in the variation
    const struct {
        int lastMove, trait;
        Position* expected;
    } rows[] = {{0, kWhite, &d.root}, {0, kBlack, &d.root}, {1, kBlack, e4},
                {1, kWhite, e5},      {2, kBlack, e5Nf3},   {2, kWhite, nullptr},
                {3, kBlack, nullptr}, {40, kWhite, nullptr}};
    for (const auto& row : rows) {
        d.lastMove = static_cast<std::uint16_t>(row.lastMove);
        d.trait = static_cast<std::uint16_t>(row.trait);
        EXPECT_EQ(d.FindLastMovePosition(), row.expected) << row.lastMove << " " << row.trait;
    }
    GameDocument setUp(nullptr);  // counts from the move number of its root
    SetFen(setUp.root, "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 2 10");
    Position* nf6 = PlayLine(setUp.root, {"Nf6"});
    setUp.lastMove = 10;
    setUp.trait = kWhite;
    EXPECT_EQ(setUp.FindLastMovePosition(), nf6);
    setUp.trait = kBlack;
    EXPECT_EQ(setUp.FindLastMovePosition(), nullptr) << "White's 10th move is not there";
}

TEST(GameDocument, TenSecondaryViewsAndOnePrimaryAtMost) {
    GameDocument document(nullptr);
    std::vector<std::string> log;
    std::vector<std::unique_ptr<View>> views;
    for (int i = 0; i <= GameDocument::kMaxSecondaryViews + 2; ++i) {
        views.push_back(std::make_unique<View>(std::to_string(i), log));
    }
    for (int i = 0; i < GameDocument::kMaxSecondaryViews; ++i) {
        EXPECT_TRUE(document.AttachView(views[i].get(), false));
    }
    EXPECT_FALSE(document.AttachView(views[10].get(), false)) << "an eleventh";
    EXPECT_FALSE(document.AttachView(nullptr, false));
    EXPECT_TRUE(document.AttachView(views[11].get(), true));
    EXPECT_FALSE(document.AttachView(views[12].get(), true)) << "a second primary view";
    document.DetachView(views[12].get());  // a stranger
    document.DetachView(views[3].get());
    document.DetachView(views[11].get());
    EXPECT_TRUE(document.AttachView(views[3].get(), false)) << "the slot is free again";
    EXPECT_TRUE(document.AttachView(views[0].get(), true));
    document.DetachView(views[0].get());  // attached twice: gone from both places
    log.clear();
    document.NotifyViews();
    EXPECT_EQ(log, (std::vector<std::string>{"1 shows", "2 shows", "4 shows", "5 shows", "6 shows",
                                             "7 shows", "8 shows", "9 shows", "3 shows"}));
    EXPECT_EQ(document.primaryView, nullptr);
}

TEST(GameDocument, ExtraTagsKeepTheirOrderAndEverythingIsFreed) {
    const std::int64_t baseline = LiveAllocations();
    auto document = std::make_unique<GameDocument>(nullptr);
    PlayLine(document->root, {"e4", "e5"});
    document->SetEvent(u"A correspondence event with a name too long for small strings");
    for (const char16_t* name : {u"ECO", u"Annotator", u"PlyCount"}) {
        document->AppendExtraTag(name, std::u16string(name) + u" value long enough for a block");
    }
    std::u16string names;
    for (const ExtraTag* tag = document->extraTags.get(); tag != nullptr; tag = tag->next.get()) {
        names += tag->name + u" ";
    }
    EXPECT_EQ(names, u"ECO Annotator PlyCount ");
    names.clear();
    names.shrink_to_fit();  // freed before the count at the end
    document->ClearExtraTags();
    EXPECT_EQ(document->extraTags, nullptr);
    for (int i = 0; i < 100000; ++i) {
        document->AppendExtraTag(u"Tag", i == 0 ? u"first" : u"value");
    }
    EXPECT_EQ(document->extraTags->value, u"first") << "the list starts afresh";
    RunOnSmallStack([&] { document.reset(); });
    EXPECT_EQ(LiveAllocations(), baseline);
}

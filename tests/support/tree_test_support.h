#pragma once

#include <functional>
#include <unordered_set>
#include <vector>

#include "game/move_tree.h"
#include "tests/support/rules_test_support.h"

// Plays SAN moves from `from`, reusing moves that exist; the test fails on a refused one.
inline Position* PlayLine(Position& from, std::initializer_list<std::string_view> moves) {
    Position* tip = &from;
    for (std::string_view text : moves) {
        Position* next = ParseSan(*tip, U16(text));
        EXPECT_NE(next, nullptr) << "refused: " << text;
        tip = next != nullptr ? next : tip;
    }
    return tip;
}

inline std::string San(const MoveNode& move) {
    return Narrow(FormatSanText(move, false, false, NotationLanguage::English));
}

// Links, back links, each move reached once, and the depth rule in its wrapping one-byte
// arithmetic: what the tree must be after any operation. Walks without recursion.
inline ::testing::AssertionResult TreeInvariantsHold(const Position& root) {
    std::unordered_set<const MoveNode*> seen;
    std::vector<const Position*> pending{&root};
    while (!pending.empty()) {
        const Position& position = *pending.back();
        pending.pop_back();
        const MoveNode* previous = nullptr;
        for (const MoveNode* m = position.firstMove.get(); m;
             previous = m, m = m->nextSibling.get()) {
            const auto depth =
                static_cast<std::uint8_t>(IncomingDepth(position) + (previous ? 1 : 0));
            if (!seen.insert(m).second || m->parent != &position || m->prevSibling != previous ||
                m->depth != depth || !m->child || m->child->incomingMove != m) {
                return ::testing::AssertionFailure() << "a link or the depth broken at " << San(*m);
            }
            pending.push_back(m->child.get());
        }
    }
    return root.incomingMove == nullptr ? ::testing::AssertionSuccess()
                                        : ::testing::AssertionFailure() << "a root with a move in";
}

// Runs `work` on a thread whose stack is far too small for a recursion along a long line.
void RunOnSmallStack(const std::function<void()>& work);

// `levels` king's knight moves to and fro, with `nest` each inside an alternative to the last.
inline Position* NestVariations(Position& from, int levels, bool nest = true) {
    constexpr const char* kKingsKnights[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    Position* tip = &from;
    for (int i = 0; i < levels && tip != nullptr; ++i) {
        if (nest) {
            Play(*tip, i % 2 == 0 ? "b1c3" : "b8c6");
        }
        tip = Play(*tip, kKingsKnights[i % 4]);
    }
    return tip;
}

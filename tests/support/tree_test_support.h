#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "game/move_tree.h"
#include "rules/move_links.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"

inline std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += static_cast<char>(c);
    }
    return out;
}

inline std::u16string Widen(std::string_view text) {
    return {text.begin(), text.end()};
}

// Square number of a name such as "e4".
inline int Sq(std::string_view name) {
    return MakeSquare(name[0] - 'a', name[1] - '1');
}

// Plays a move given as "e2e4" through AddMove as a new line; null when refused.
inline Position* Play(Position& position, std::string_view move) {
    return position.AddMove(Sq(move.substr(0, 2)), Sq(move.substr(2, 2)), nullptr, 0);
}

// Plays a line of SAN moves from `from` (reusing moves that exist) and returns the last
// position; the test fails when a move is refused.
inline Position* PlayLine(Position& from, std::initializer_list<std::string_view> moves) {
    Position* tip = &from;
    for (std::string_view text : moves) {
        Position* next = ParseSan(*tip, Widen(text));
        EXPECT_NE(next, nullptr) << "refused: " << text;
        if (next == nullptr) {
            return tip;
        }
        tip = next;
    }
    return tip;
}

// The move that leads to `position` (never the root).
inline MoveNode& MoveTo(Position* position) {
    return *position->incomingMove;
}

inline std::string San(const MoveNode& move) {
    return Narrow(FormatSanText(move, false, false, NotationLanguage::English));
}

// The SAN of every move of a list, in list order.
inline std::vector<std::string> ListOf(const Position& position) {
    std::vector<std::string> out;
    for (const MoveNode* m = position.firstMove.get(); m != nullptr; m = m->nextSibling.get()) {
        out.push_back(San(*m));
    }
    return out;
}

// Every check the tree must pass after any operation: the links of each list, the
// back links of each move and child, the depth rule (in the one-byte arithmetic of
// the depth field, which wraps in very deep nesting), and single ownership (no node
// reached twice). Walks without recursion.
inline ::testing::AssertionResult TreeInvariantsHold(const Position& root) {
    if (root.incomingMove != nullptr) {
        return ::testing::AssertionFailure() << "the root has an incoming move";
    }
    std::unordered_set<const void*> seen{&root};
    std::vector<const Position*> pending{&root};
    while (!pending.empty()) {
        const Position& position = *pending.back();
        pending.pop_back();
        const std::uint8_t firstDepth = IncomingDepth(position);
        const MoveNode* previous = nullptr;
        for (const MoveNode* m = position.firstMove.get(); m != nullptr;
             previous = m, m = m->nextSibling.get()) {
            auto fail = [m]() { return ::testing::AssertionFailure() << San(*m) << ": "; };
            if (!seen.insert(m).second) {
                return fail() << "reached twice";
            }
            if (m->parent != &position) {
                return fail() << "wrong parent";
            }
            if (m->prevSibling != previous) {
                return fail() << "wrong prevSibling";
            }
            const std::uint8_t expected =
                previous == nullptr ? firstDepth : static_cast<std::uint8_t>(firstDepth + 1);
            if (m->depth != expected) {
                return fail() << "depth " << int{m->depth} << ", expected " << int{expected};
            }
            if (!m->child) {
                return fail() << "no child";
            }
            if (m->child->incomingMove != m) {
                return fail() << "the child's incomingMove points elsewhere";
            }
            if (!seen.insert(m->child.get()).second) {
                return fail() << "the child is reached twice";
            }
            pending.push_back(m->child.get());
        }
    }
    return ::testing::AssertionSuccess();
}

// Number of moves in the tree below `root`.
inline std::size_t CountMoves(const Position& root) {
    std::size_t count = 0;
    std::vector<const Position*> pending{&root};
    while (!pending.empty()) {
        const Position* position = pending.back();
        pending.pop_back();
        for (const MoveNode* m = position->firstMove.get(); m != nullptr;
             m = m->nextSibling.get()) {
            ++count;
            pending.push_back(m->child.get());
        }
    }
    return count;
}

// Records the display order as "san/depth" items, with "(" and ")" around variations.
class DisplayOrderRecorder : public DisplayOrderVisitor {
public:
    void OnMove(const MoveNode& move) override {
        items.push_back(San(move) + "/" + std::to_string(move.depth));
    }
    void OnVariationStart(const MoveNode& /*first*/) override { items.emplace_back("("); }
    void OnVariationEnd(const MoveNode& /*first*/) override { items.emplace_back(")"); }

    std::vector<std::string> items;
};

inline std::vector<std::string> DisplayOrder(const Position& root) {
    DisplayOrderRecorder recorder;
    WalkDisplayOrder(root.firstMove.get(), recorder);
    return recorder.items;
}

// Runs `work` on a thread whose stack is far too small for a recursion as deep as the
// trees of these tests, so that any recursion with line length or nesting crashes.
void RunOnSmallStack(const std::function<void()>& work);

// Plays `plies` knight moves from the standard position (the king's knights go out and
// back), each a first move; returns the last position.
inline Position* ShuffleKnights(Position& from, int plies) {
    Position* tip = &from;
    for (int i = 0; i < plies && tip != nullptr; ++i) {
        const bool white = tip->sideToMove() == kWhite;
        const bool home = tip->GetSquare(Sq(white ? "g1" : "g8")) != kEmpty;
        tip = Play(*tip, white ? (home ? "g1f3" : "f3g1") : (home ? "g8f6" : "f6g8"));
    }
    return tip;
}

// Nests `levels` variations inside each other: at every level the queen's knight move
// is the first move and a king's knight move the alternative, which carries the next
// level. Returns the position after the deepest alternative.
inline Position* NestVariations(Position& from, int levels) {
    Position* tip = &from;
    for (int i = 0; i < levels && tip != nullptr; ++i) {
        const bool white = tip->sideToMove() == kWhite;
        if (Play(*tip, white ? "b1c3" : "b8c6") == nullptr) {
            return nullptr;
        }
        const bool home = tip->GetSquare(Sq(white ? "g1" : "g8")) != kEmpty;
        tip = Play(*tip, white ? (home ? "g1f3" : "f3g1") : (home ? "g8f6" : "f6g8"));
    }
    return tip;
}

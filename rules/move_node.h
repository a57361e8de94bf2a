#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "rules/position.h"
#include "rules/square.h"

// What a move carries beyond one annotation and one comment after it, as files of
// other programs hold it; most moves have none.
struct MoveAnnotations {
    // Every NAG of the move in the order read, kept only when it has more than one
    // (nag and the child's positionNag then hold the first of each kind).
    std::vector<std::uint8_t> nags;
    // The comment written before the move, at the start of a variation.
    std::optional<std::u16string> commentBefore;
    // The NAGs written before the move, in the order read, at the start of a game or of
    // a variation (some programs put signs such as "better is" or "novelty" there).
    std::vector<std::uint8_t> nagsBefore;
};

// One move between two positions of a game tree. A MoveNode owns the alternatives
// that follow it in its list (nextSibling) and the position it leads to (child);
// prevSibling and parent are back links. Destruction is iterative, so a line of any
// length is freed without deep recursion.
class MoveNode final {
public:
    // Stores the squares and links, clears every other field and computes the SAN
    // disambiguation from `parent` (the position before the move).
    MoveNode(Position* parent, PositionPtr child, int from, int to,
             std::uint8_t moveNumber) noexcept;
    ~MoveNode();

    MoveNode(const MoveNode&) = delete;
    MoveNode& operator=(const MoveNode&) = delete;

    Square from;
    Square to;
    std::uint8_t moveNumber;
    bool isCapture = false;
    CastlingSide castling = CastlingSide::None;
    std::uint8_t depth = 0;      // variation depth, 0 on the main line
    std::uint8_t promotion = 0;  // 2 rook, 3 knight, 4 bishop, 5 queen, 0 none
    bool givesCheck = false;
    std::array<char16_t, 3> disambiguation{};      // 0 to 2 characters, zero-terminated
    std::uint8_t nag = 0;                          // move annotation 1..10, 0 none
    std::unique_ptr<MoveAnnotations> annotations;  // null when there is nothing more
    MoveNodePtr nextSibling;
    MoveNode* prevSibling = nullptr;
    Position* parent;
    PositionPtr child;
};

// Destroys a list of moves and everything below them without recursion.
void DestroyMoveList(MoveNodePtr first);

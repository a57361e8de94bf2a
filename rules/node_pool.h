#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class MoveNode;
class Position;

// Blocks of one size for the nodes of a game tree. Reading a games file makes and frees
// two nodes for every move, so blocks are taken from and returned to a free list
// instead of the general heap. Each tree has pools of its own (its root owns them), so
// trees on different threads never share one; a pool is not locked. Under
// AddressSanitizer the pool steps aside, so that every node is a heap block the
// sanitizer can watch.
class NodePool {
public:
    explicit NodePool(std::size_t blockSize);

    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    // A block of the pool's size; throws std::bad_alloc like operator new.
    [[nodiscard]] void* Allocate();

    // Gives back a block that Allocate returned.
    void Release(void* block) noexcept;

    // Blocks handed out from the pool's chunks and not given back, and the heap blocks
    // the pool holds for them (what a count of heap blocks sees of the pool); both 0
    // when the pool steps aside and every block is a heap block of its own.
    [[nodiscard]] std::size_t LiveBlocks() const { return liveBlocks_; }
    [[nodiscard]] std::size_t HeapBlocks() const {
        return chunks_.size() + (chunks_.empty() ? 0 : 1);
    }

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    void AddChunk();

    std::size_t blockSize_;
    FreeBlock* free_ = nullptr;  // blocks given back
    // The part of the newest chunk no block has been taken from yet.
    std::byte* unused_ = nullptr;
    std::byte* unusedEnd_ = nullptr;
    std::size_t liveBlocks_ = 0;
    // Chunks grow from a few dozen blocks, so that a short game takes little memory.
    std::size_t nextChunkBlocks_;
    std::vector<std::unique_ptr<std::byte[]>> chunks_;
};

// The pools one game tree takes its positions and moves from. The root position owns
// them; every position below it points to them. A move cut out of the tree must die
// before the root does.
struct TreePools {
    TreePools();

    NodePool positions;
    NodePool moves;

    // The heap blocks the pools hold, this object included.
    [[nodiscard]] std::size_t HeapBlocks() const {
        return 1 + positions.HeapBlocks() + moves.HeapBlocks();
    }
    // The positions and moves handed out and not given back.
    [[nodiscard]] std::size_t LiveBlocks() const {
        return positions.LiveBlocks() + moves.LiveBlocks();
    }
};

// Destroys a position or a move below a root and gives its block back to its tree's
// pool.
struct TreeNodeDeleter {
    void operator()(Position* position) const noexcept;
    void operator()(MoveNode* move) const noexcept;
};

using PositionPtr = std::unique_ptr<Position, TreeNodeDeleter>;
using MoveNodePtr = std::unique_ptr<MoveNode, TreeNodeDeleter>;

#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// Blocks of one size for the nodes of game trees. Reading a games file makes and frees
// two nodes for every move, so blocks are taken from and returned to a free list
// instead of the general heap. The chess core is used by one thread at a time; the
// pool is not locked. Under AddressSanitizer the pool steps aside, so that every node
// is a heap block the sanitizer can watch.
class NodePool {
public:
    explicit NodePool(std::size_t blockSize);

    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    // A block of the pool's size; throws std::bad_alloc like operator new.
    void* Allocate();

    // Gives back a block that Allocate returned.
    void Release(void* block) noexcept;

    // Blocks handed out from the pool's chunks and not given back, and the heap blocks
    // the pool holds for them (what a count of heap blocks sees of the pool); both 0
    // when the pool steps aside and every block is a heap block of its own.
    std::size_t LiveBlocks() const { return liveBlocks_; }
    std::size_t HeapBlocks() const { return chunks_.size() + (chunks_.empty() ? 0 : 1); }

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    void AddChunk();

    std::size_t blockSize_;
    FreeBlock* free_ = nullptr;
    std::size_t liveBlocks_ = 0;
    std::vector<std::unique_ptr<std::byte[]>> chunks_;
};

// The pools of positions and moves; they live as long as the process.
NodePool& PositionPool();
NodePool& MoveNodePool();

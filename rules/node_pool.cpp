#include "rules/node_pool.h"

#include <algorithm>
#include <new>

#include "rules/move_node.h"
#include "rules/position.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUsePool = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUsePool = false;
#else
constexpr bool kUsePool = true;
#endif
#else
constexpr bool kUsePool = true;
#endif

constexpr std::size_t kFirstChunkBlocks = 32;
constexpr std::size_t kLargestChunkBlocks = 1024;

std::size_t RoundedBlockSize(std::size_t size) {
    constexpr std::size_t kAlign = alignof(std::max_align_t);
    return (size + kAlign - 1) / kAlign * kAlign;
}

}  // namespace

NodePool::NodePool(std::size_t blockSize)
    : blockSize_(RoundedBlockSize(blockSize)), nextChunkBlocks_(kFirstChunkBlocks) {}

void* NodePool::Allocate() {
    if (!kUsePool) {
        return ::operator new(blockSize_);
    }
    ++liveBlocks_;
    if (free_ != nullptr) {
        FreeBlock* block = free_;
        free_ = block->next;
        return block;
    }
    if (unused_ == unusedEnd_) {
        AddChunk();
    }
    void* block = unused_;
    unused_ += blockSize_;
    return block;
}

void NodePool::Release(void* block) noexcept {
    if (block == nullptr) {
        return;
    }
    if (!kUsePool) {
        ::operator delete(block);
        return;
    }
    --liveBlocks_;
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = free_;
    free_ = freed;
}

void NodePool::AddChunk() {
    const std::size_t blocks = nextChunkBlocks_;
    nextChunkBlocks_ = std::min(blocks * 2, kLargestChunkBlocks);
    // Left uninitialised: a block is written before it is used.
    auto chunk = std::make_unique_for_overwrite<std::byte[]>(blockSize_ * blocks);
    unused_ = chunk.get();
    unusedEnd_ = unused_ + blockSize_ * blocks;
    chunks_.push_back(std::move(chunk));
}

TreePools::TreePools() : positions(sizeof(Position)), moves(sizeof(MoveNode)) {}

void TreeNodeDeleter::operator()(Position* position) const noexcept {
    TreePools* pools = position->Pools();
    position->~Position();
    pools->positions.Release(position);
}

void TreeNodeDeleter::operator()(MoveNode* move) const noexcept {
    // A move and the position it leads to always come from the same tree.
    TreePools* pools = move->child->Pools();
    move->~MoveNode();
    pools->moves.Release(move);
}

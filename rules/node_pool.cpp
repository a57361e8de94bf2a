#include "rules/node_pool.h"

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

constexpr std::size_t kBlocksPerChunk = 1024;

std::size_t RoundedBlockSize(std::size_t size) {
    constexpr std::size_t kAlign = alignof(std::max_align_t);
    return (size + kAlign - 1) / kAlign * kAlign;
}

}  // namespace

NodePool::NodePool(std::size_t blockSize) : blockSize_(RoundedBlockSize(blockSize)) {}

void* NodePool::Allocate() {
    if (!kUsePool) {
        return ::operator new(blockSize_);
    }
    ++liveBlocks_;
    if (free_ == nullptr) {
        AddChunk();
    }
    FreeBlock* block = free_;
    free_ = block->next;
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
    auto chunk = std::make_unique<std::byte[]>(blockSize_ * kBlocksPerChunk);
    for (std::size_t i = kBlocksPerChunk; i-- > 0;) {
        auto* block = reinterpret_cast<FreeBlock*>(chunk.get() + i * blockSize_);
        block->next = free_;
        free_ = block;
    }
    chunks_.push_back(std::move(chunk));
}

NodePool& PositionPool() {
    // Never destroyed: positions may outlive static destruction at exit.
    static auto* pool = new NodePool(sizeof(Position));
    return *pool;
}

NodePool& MoveNodePool() {
    static auto* pool = new NodePool(sizeof(MoveNode));
    return *pool;
}

void* Position::operator new(std::size_t size) {
    return size == sizeof(Position) ? PositionPool().Allocate() : ::operator new(size);
}

void Position::operator delete(void* block, std::size_t size) noexcept {
    if (size == sizeof(Position)) {
        PositionPool().Release(block);
    } else {
        ::operator delete(block);
    }
}

void* MoveNode::operator new(std::size_t size) {
    return size == sizeof(MoveNode) ? MoveNodePool().Allocate() : ::operator new(size);
}

void MoveNode::operator delete(void* block, std::size_t size) noexcept {
    if (size == sizeof(MoveNode)) {
        MoveNodePool().Release(block);
    } else {
        ::operator delete(block);
    }
}

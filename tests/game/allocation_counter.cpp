#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "rules/node_pool.h"

namespace {

std::atomic<std::int64_t> gLive{0};

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    ++gLive;
    return block;
}

void Release(void* block) noexcept {
    if (block != nullptr) {
        --gLive;
        std::free(block);
    }
}

}  // namespace

std::int64_t LiveAllocations() {
    // Positions and moves live in pools: count their blocks instead of the pools'
    // own heap blocks (the chunks and the vector that holds them).
    const NodePool* pools[] = {&PositionPool(), &MoveNodePool()};  // made before counting
    std::int64_t live = gLive.load();
    for (const NodePool* pool : pools) {
        live += static_cast<std::int64_t>(pool->LiveBlocks()) -
                static_cast<std::int64_t>(pool->HeapBlocks());
    }
    return live;
}

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t /*size*/) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t /*size*/) noexcept {
    Release(block);
}

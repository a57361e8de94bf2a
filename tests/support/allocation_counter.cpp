#include "tests/support/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "rules/node_pool.h"
#include "rules/position.h"

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

std::int64_t LiveAllocations(const Position* tree) {
    // The positions and moves of a tree live in its pools: count their blocks instead
    // of the pools' own heap blocks (the chunks and what holds them).
    std::int64_t live = gLive.load();
    if (const TreePools* pools = tree != nullptr ? tree->Pools() : nullptr) {
        live += static_cast<std::int64_t>(pools->LiveBlocks()) -
                static_cast<std::int64_t>(pools->HeapBlocks());
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

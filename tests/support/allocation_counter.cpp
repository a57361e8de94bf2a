#include "tests/support/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "rules/position.h"

static std::atomic<std::int64_t> gLive{0};

// The library's array forms forward to these.
void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    return block != nullptr ? (++gLive, block) : throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    gLive -= block != nullptr ? 1 : 0;
    std::free(block);
}

void operator delete(void* block, std::size_t /*size*/) noexcept {
    operator delete(block);
}

// A tree's positions and moves count as blocks of their own, its pools' heap blocks not.
std::int64_t LiveAllocations(const Position* tree) {
    const TreePools* pools = tree != nullptr ? tree->Pools() : nullptr;
    return gLive +
           (pools ? static_cast<std::int64_t>(pools->LiveBlocks() - pools->HeapBlocks()) : 0);
}

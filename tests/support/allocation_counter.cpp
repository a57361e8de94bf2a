#include "tests/support/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "rules/position.h"

namespace {
std::atomic<std::int64_t> gLive{0};
}  // namespace

// The library's array forms forward to these.
void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    ++gLive;
    return block;
}

void operator delete(void* block) noexcept {
    gLive -= block != nullptr ? 1 : 0;
    std::free(block);
}

void operator delete(void* block, std::size_t /*size*/) noexcept {
    operator delete(block);
}

std::int64_t LiveAllocations(const Position* tree) {
    // A tree's positions and moves count as blocks of their own, its pools' heap blocks not.
    const TreePools* pools = tree != nullptr ? tree->Pools() : nullptr;
    return gLive +
           (pools ? static_cast<std::int64_t>(pools->LiveBlocks() - pools->HeapBlocks()) : 0);
}

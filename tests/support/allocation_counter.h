#pragma once

#include <cstdint>

class Position;

// Blocks from operator new not yet deleted (the operators of allocation_counter.cpp),
// with the positions and moves of `tree` (a root) as one block each.
std::int64_t LiveAllocations(const Position* tree = nullptr);

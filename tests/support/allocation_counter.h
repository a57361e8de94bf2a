#pragma once

#include <cstdint>

class Position;

// The number of blocks allocated by operator new and not yet deleted, counted by the
// replacement operators of allocation_counter.cpp linked into the test program; the
// positions and moves of `tree` (a root) count one block each.
std::int64_t LiveAllocations(const Position* tree = nullptr);

#pragma once

#include <cstdint>

class Position;

// Blocks from operator new not yet deleted, each position and move of `tree` counted as one.
std::int64_t LiveAllocations(const Position* tree = nullptr);

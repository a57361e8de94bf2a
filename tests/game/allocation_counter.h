#pragma once

#include <cstdint>

// The number of blocks allocated by operator new and not yet deleted, counted by the
// replacement operators of allocation_counter.cpp linked into the test program.
std::int64_t LiveAllocations();

#pragma once

#include <cstddef>
#include <functional>

// Told, during a long read, how many items (games, messages) it has read so far, the
// count growing by one at each call. Returns false to stop the read there. It is
// called on the thread that reads, which need not be the screen's.
using ReadProgress = std::function<bool(std::size_t itemsRead)>;

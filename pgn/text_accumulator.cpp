#include "pgn/text_accumulator.h"

#include <algorithm>
#include <new>

bool TextAccumulator::Append(char16_t c) {
    // One place always stays free for the terminator that readers of the original
    // buffer expected.
    if (length_ + 1 == capacity_) {
        const std::size_t grown = capacity_ * 2;
        if (grown > kMaxCapacity) {
            return false;
        }
        std::unique_ptr<char16_t[]> storage(new (std::nothrow) char16_t[grown]);
        if (!storage) {
            return false;
        }
        std::copy_n(Data(), length_, storage.get());
        heap_ = std::move(storage);
        capacity_ = grown;
    }
    Data()[length_++] = c;
    return true;
}

#include "pgn/text_accumulator.h"

#include <algorithm>
#include <new>

bool TextAccumulator::Reserve(std::size_t count) {
    // One place always stays free for the terminator that readers of the original
    // buffer expected.
    if (count >= kMaxCapacity || length_ + count + 1 > kMaxCapacity) {
        return false;
    }
    const std::size_t needed = length_ + count + 1;
    if (needed <= capacity_) {
        return true;
    }
    std::size_t grown = capacity_;
    while (grown < needed) {
        grown *= 2;
    }
    std::unique_ptr<char16_t[]> storage(new (std::nothrow) char16_t[grown]);
    if (!storage) {
        return false;
    }
    std::copy_n(Data(), length_, storage.get());
    heap_ = std::move(storage);
    capacity_ = grown;
    return true;
}

bool TextAccumulator::Append(char16_t c) {
    if (!Reserve(1)) {
        return false;
    }
    Data()[length_++] = c;
    return true;
}

bool TextAccumulator::Append(std::u16string_view text) {
    if (!Reserve(text.size())) {
        return false;
    }
    std::copy(text.begin(), text.end(), Data() + length_);
    length_ += text.size();
    return true;
}

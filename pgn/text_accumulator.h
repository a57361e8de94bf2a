#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string_view>

// Gathers the text of a comment: the first 512 characters are held inside the object,
// then the storage moves to the heap and doubles whenever it is full.
class TextAccumulator {
public:
    static constexpr std::size_t kInlineCapacity = 512;
    // A comment longer than this (in characters, 16 Mi) counts as memory exhausted:
    // only a damaged file, such as one with an unclosed brace, gets there.
    static constexpr std::size_t kMaxCapacity = std::size_t{1} << 24;

    TextAccumulator() = default;
    ~TextAccumulator() = default;

    TextAccumulator(const TextAccumulator&) = delete;
    TextAccumulator& operator=(const TextAccumulator&) = delete;

    // Appends `c`; returns false, leaving the text as it was, when the storage cannot
    // grow.
    bool Append(char16_t c);

    // Appends all of `text`, or nothing when the storage cannot grow to hold it.
    bool Append(std::u16string_view text);

    // The text so far; valid until the next Append.
    [[nodiscard]] std::u16string_view View() const { return {Data(), length_}; }

    [[nodiscard]] std::size_t capacity() const { return capacity_; }

private:
    // Makes room for `count` more characters and the place kept free; false when the
    // storage cannot grow that far.
    bool Reserve(std::size_t count);

    [[nodiscard]] const char16_t* Data() const { return heap_ ? heap_.get() : inline_.data(); }
    char16_t* Data() { return heap_ ? heap_.get() : inline_.data(); }

    std::array<char16_t, kInlineCapacity> inline_;
    std::unique_ptr<char16_t[]> heap_;
    std::size_t length_ = 0;
    std::size_t capacity_ = kInlineCapacity;
};

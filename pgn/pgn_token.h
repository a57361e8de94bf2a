#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// What the lexer found in the move text.
enum class TokenKind {
    CommentStart,    // "{": the comment itself is read with ReadComment
    LineComment,     // ";": the rest of the line is dropped
    VariationStart,  // "("
    VariationEnd,    // ")"
    MoveNumber,      // "12." or "12..."
    MoveText,        // a SAN move: "Nf3", "exd5", "e8=Q+", "O-O-O", "0-0"
    GameEnd,         // a result mark, the next game's tags, or the end of the file
    UnknownToken,    // a character that starts no token, with what follows it
    Separator,       // blanks and tabs, or the end of the line
    NagToken,        // "$" and digits; the six marks are turned into "$1".."$6"
};

// The text of a token: at most kMaxLength characters, zero-terminated. Characters
// beyond the limit are dropped.
class PgnToken {
public:
    static constexpr std::size_t kMaxLength = 20;

    void Clear() {
        length_ = 0;
        text_[0] = u'\0';
    }

    // Appends `c` when there is room; returns false when it was dropped.
    bool Append(char16_t c) {
        if (length_ == kMaxLength) {
            return false;
        }
        text_[length_++] = c;
        text_[length_] = u'\0';
        return true;
    }

    // Assign for ASCII bytes, each widened to one character.
    void AssignAscii(std::string_view bytes) {
        length_ = bytes.size() < kMaxLength ? bytes.size() : kMaxLength;
        for (std::size_t i = 0; i < length_; ++i) {
            text_[i] = static_cast<unsigned char>(bytes[i]);
        }
        text_[length_] = u'\0';
    }

    void Assign(std::u16string_view text) {
        Clear();
        for (const char16_t c : text) {
            if (!Append(c)) {
                break;
            }
        }
    }

    [[nodiscard]] std::u16string_view View() const { return {text_.data(), length_}; }

private:
    std::array<char16_t, kMaxLength + 1> text_{};
    std::size_t length_ = 0;
};

// Replaces a text equal to one of the six annotation marks ("!" 1, "?" 2, "!!" 3,
// "??" 4, "!?" 5, "?!" 6) by "$" and the mark's number; any other text is left as it
// is.
void GlyphToNag(PgnToken& token);

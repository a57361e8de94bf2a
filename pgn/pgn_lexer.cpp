#include "pgn/pgn_lexer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "pgn/text_accumulator.h"
#include "platform/buffered_file.h"
#include "platform/text_codec.h"
#include "rules/position.h"

namespace {

// What a byte of move text can be, one bit each, looked up in one table.
enum CharacterClass : std::uint8_t {
    kMoveCharacter = 1,  // may follow the first character of a move
    kDigit = 2,
    kStartsMove = 4,
    kBlankOrTab = 8,
};

constexpr std::array<std::uint8_t, 256> kCharacterClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (unsigned char c = 'a'; c <= 'h'; ++c) {
        classes[c] |= kMoveCharacter | kStartsMove;
    }
    for (unsigned char c = '0'; c <= '9'; ++c) {
        classes[c] |= kDigit | (c <= '8' ? kMoveCharacter : 0);
    }
    for (const unsigned char c : {'R', 'N', 'B', 'Q', 'K', 'O'}) {
        classes[c] |= kMoveCharacter | kStartsMove;
    }
    for (const unsigned char c : {'-', 'x', '+', '#', '='}) {
        classes[c] |= kMoveCharacter;
    }
    classes[' '] |= kBlankOrTab;
    classes['\t'] |= kBlankOrTab;
    return classes;
}();

bool Is(char c, CharacterClass kind) {
    return (kCharacterClasses[static_cast<unsigned char>(c)] & kind) != 0;
}

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

PgnLexer::PgnLexer(BufferedFile& file, std::string_view firstLine, bool firstLineCut)
    : file_(file), firstLine_(firstLine), lineCut_(firstLineCut) {
    SetLine(firstLine_);
    // An escape line ("%") is skipped like any other.
    if (!line_.empty() && line_[0] == '%') {
        pos_ = -1;
    }
}

void PgnLexer::SetLine(std::string_view bytes) {
    line_ = LineUpToZero(bytes);
    codePage_ = CodePage::Unknown;
}

bool PgnLexer::ReadLine() {
    lineStart_ = file_.Tell();
    continuation_ = lineCut_;
    std::string_view bytes;
    if (!ReadWholeLineBytes(file_, bytes_, bytes, lineCut_)) {
        line_ = {};
        return false;
    }
    SetLine(bytes);
    return true;
}

bool PgnLexer::LineIsUtf8() {
    if (codePage_ == CodePage::Unknown) {
        codePage_ = IsValidUtf8(line_) ? CodePage::Utf8 : CodePage::Windows1252;
    }
    return codePage_ == CodePage::Utf8;
}

void PgnLexer::Decode(std::size_t start, std::size_t end, std::u16string& text) {
    const std::string_view bytes = line_.substr(start, end - start);
    if (IsAscii(bytes)) {
        text.assign(bytes.begin(), bytes.end());
        return;
    }
    text = LineIsUtf8() ? DecodeUtf8Line(bytes) : DecodeWindows1252(bytes);
}

std::uint64_t PgnLexer::EndOffset() const {
    return ended_ ? endOffset_ : file_.Tell();
}

TokenKind PgnLexer::NextToken(PgnToken& token) {
    token.Clear();
    if (ended_) {
        return TokenKind::GameEnd;
    }
    while (pos_ < 0) {
        if (!ReadLine()) {
            ended_ = true;
            endOffset_ = file_.Tell();
            return TokenKind::GameEnd;
        }
        // The next game's tags: the game ends at the start of this line, which a later
        // save must keep.
        if (At(0) == '[' && !continuation_) {
            ended_ = true;
            endOffset_ = lineStart_;
            return TokenKind::GameEnd;
        }
        // An escape line, for other programs' private data, is no part of the game.
        if (At(0) != '%' || continuation_) {
            pos_ = 0;
        }
    }
    const char c = At(pos_);
    const char next = c == '\0' ? '\0' : At(pos_ + 1);
    switch (c) {
        case '\0':
            pos_ = -1;
            return TokenKind::Separator;
        case ' ':
        case '\t':
            while (Is(At(pos_), kBlankOrTab)) {
                ++pos_;
            }
            return TokenKind::Separator;
        case '{':
            ++pos_;
            return TokenKind::CommentStart;
        case ';':
            ++pos_;
            return TokenKind::LineComment;
        case '(':
            ++pos_;
            return TokenKind::VariationStart;
        case ')':
            ++pos_;
            return TokenKind::VariationEnd;
        case '*':
            return SkipResultMark();
        case '$':
            return ReadNag(token);
        case '!':
        case '?':
            return ReadGlyph(token);
        case '0':
            if (next == '-' && At(pos_ + 2) == '0') {
                return ReadMoveCharacters(token);
            }
            return SkipResultMark();
        case '1':
            if (next == '-' || next == '/') {
                return SkipResultMark();
            }
            return ReadMoveNumber(token);
        default:
            break;
    }
    if (c >= '2' && c <= '9') {
        return ReadMoveNumber(token);
    }
    if (Is(c, kStartsMove)) {
        return ReadMoveCharacters(token);
    }
    return ReadUnknown(token);
}

TokenKind PgnLexer::NextSignificantToken(PgnToken& token) {
    while (true) {
        while (pos_ >= 0) {
            const char c = At(pos_);
            if (Is(c, kBlankOrTab)) {
                ++pos_;
            } else if ((c >= '2' && c <= '9') ||
                       (c == '1' && At(pos_ + 1) != '-' && At(pos_ + 1) != '/')) {
                // A move number, as ReadMoveNumber reads it.
                ++pos_;
                while (Is(At(pos_), kDigit)) {
                    ++pos_;
                }
                while (At(pos_) == '.') {
                    ++pos_;
                }
            } else {
                break;
            }
        }
        const TokenKind kind = NextToken(token);
        if (kind != TokenKind::Separator && kind != TokenKind::MoveNumber) {
            return kind;
        }
    }
}

TokenKind PgnLexer::SkipResultMark() {
    if (At(pos_) == '*') {
        ++pos_;
        return TokenKind::GameEnd;
    }
    // "1-0", "0-1", "1/2-1/2", and whatever else begins like them.
    do {
        ++pos_;
    } while (At(pos_) == '0' || At(pos_) == '1' || At(pos_) == '2' || At(pos_) == '/' ||
             At(pos_) == '-');
    return TokenKind::GameEnd;
}

TokenKind PgnLexer::ReadMoveNumber(PgnToken& token) {
    const int start = pos_++;
    while (Is(At(pos_), kDigit)) {
        ++pos_;
    }
    while (At(pos_) == '.') {
        ++pos_;
    }
    token.AssignAscii(
        line_.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(pos_ - start)));
    return TokenKind::MoveNumber;
}

TokenKind PgnLexer::ReadMoveCharacters(PgnToken& token) {
    const int start = pos_++;
    while (Is(At(pos_), kMoveCharacter)) {
        ++pos_;
    }
    token.AssignAscii(
        line_.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(pos_ - start)));
    return TokenKind::MoveText;
}

TokenKind PgnLexer::ReadNag(PgnToken& token) {
    const int start = pos_++;
    while (Is(At(pos_), kDigit)) {
        ++pos_;
    }
    token.AssignAscii(
        line_.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(pos_ - start)));
    return TokenKind::NagToken;
}

TokenKind PgnLexer::ReadGlyph(PgnToken& token) {
    token.Append(static_cast<char16_t>(At(pos_++)));
    if (At(pos_) == '!' || At(pos_) == '?') {
        token.Append(static_cast<char16_t>(At(pos_++)));
    }
    GlyphToNag(token);
    return TokenKind::NagToken;
}

TokenKind PgnLexer::ReadUnknown(PgnToken& token) {
    // The position stays on the character: asked again, the lexer gives it again. The
    // token holds the characters from here to the line's end, as many as it can.
    // Four bytes per character are enough for a full token.
    const auto start = static_cast<std::size_t>(pos_);
    std::size_t end = std::min(line_.size(), start + 4 * PgnToken::kMaxLength);
    while (end > start && end < line_.size() && LineIsUtf8() &&
           (static_cast<unsigned char>(line_[end]) & 0xC0) == 0x80) {
        --end;  // never inside a UTF-8 character
    }
    Decode(start, end, decoded_);
    token.Assign(decoded_);
    return TokenKind::UnknownToken;
}

void PgnLexer::ReadLineComment(std::u16string& text) {
    auto start = static_cast<std::size_t>(std::max(pos_, 0));
    while (start < line_.size() && Is(line_[start], kBlankOrTab)) {
        ++start;
    }
    start = std::min(start, line_.size());
    Decode(start, line_.size(), text);
    pos_ = -1;
}

PgnLexer::CommentRead PgnLexer::ReadCommentText(std::u16string& text) {
    TextAccumulator gathered;
    while (true) {
        if (pos_ < 0) {
            if (!ReadLine()) {
                return CommentRead::Unterminated;
            }
            pos_ = 0;
        }
        const auto start = static_cast<std::size_t>(pos_);
        const void* brace = std::memchr(line_.data() + start, '}', line_.size() - start);
        const std::size_t end =
            brace ? static_cast<std::size_t>(static_cast<const char*>(brace) - line_.data())
                  : line_.size();
        if (end > start) {
            // Each line break inside a comment becomes one blank; the part of a line too
            // long to be read at once goes on without one.
            if (start == 0 && !continuation_ && !gathered.Append(u' ')) {
                return CommentRead::TooLong;
            }
            Decode(start, end, decoded_);
            if (!gathered.Append(decoded_)) {
                return CommentRead::TooLong;
            }
        }
        if (!brace) {
            pos_ = -1;
            continue;
        }
        std::u16string_view comment = gathered.View();
        const std::size_t first = comment.find_first_not_of(u" \t");
        comment =
            first == std::u16string_view::npos ? std::u16string_view{} : comment.substr(first);
        text.assign(comment);
        pos_ = static_cast<int>(end) + 1;
        return CommentRead::Read;
    }
}

bool PgnLexer::ReadComment(Position& position) {
    std::u16string text;
    switch (ReadCommentText(text)) {
        case CommentRead::Read:
            JoinComment(position.comment, text);
            return true;
        case CommentRead::Unterminated:
            return true;
        case CommentRead::TooLong:
            return false;
    }
    return false;
}

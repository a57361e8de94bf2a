#include "pgn/pgn_lexer.h"

#include <algorithm>
#include <string>

#include "pgn/text_accumulator.h"
#include "platform/buffered_file.h"
#include "rules/position.h"

namespace {

// The characters that may follow the first one of a move.
bool IsMoveCharacter(char16_t c) {
    return (c >= u'a' && c <= u'h') || (c >= u'0' && c <= u'8') || c == u'R' || c == u'N' ||
           c == u'B' || c == u'Q' || c == u'K' || c == u'O' || c == u'-' || c == u'x' ||
           c == u'+' || c == u'#' || c == u'=';
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsBlankOrTab(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool StartsMove(char16_t c) {
    return (c >= u'a' && c <= u'h') || c == u'K' || c == u'B' || c == u'N' || c == u'O' ||
           c == u'Q' || c == u'R';
}

}  // namespace

PgnLexer::PgnLexer(BufferedFile& file, std::u16string_view firstLine) : file_(file) {
    length_ = std::min(firstLine.size(), kLineCapacity - 1);
    std::copy_n(firstLine.begin(), length_, line_.begin());
    line_[length_] = u'\0';
}

bool PgnLexer::ReadLine() {
    lineStart_ = file_.Tell();
    const std::optional<std::string_view> bytes = ReadFileLineView(file_);
    if (!bytes) {
        return false;
    }
    length_ = ConvertLine(*bytes, line_);
    return true;
}

std::uint64_t PgnLexer::EndOffset() const {
    return ended_ ? endOffset_ : file_.Tell();
}

TokenKind PgnLexer::NextToken(PgnToken& token) {
    token.Clear();
    if (ended_) {
        return TokenKind::GameEnd;
    }
    if (pos_ < 0) {
        if (!ReadLine()) {
            ended_ = true;
            endOffset_ = file_.Tell();
            return TokenKind::GameEnd;
        }
        // The next game's tags: the game ends at the start of this line, which a later
        // save must keep.
        if (At(0) == u'[') {
            ended_ = true;
            endOffset_ = lineStart_;
            return TokenKind::GameEnd;
        }
        pos_ = 0;
    }
    const char16_t c = At(pos_);
    const char16_t next = c == u'\0' ? u'\0' : At(pos_ + 1);
    switch (c) {
        case u'\0':
            pos_ = -1;
            return TokenKind::Separator;
        case u' ':
        case u'\t':
            while (IsBlankOrTab(At(pos_))) {
                ++pos_;
            }
            return TokenKind::Separator;
        case u'{':
            ++pos_;
            return TokenKind::CommentStart;
        case u';':
            ++pos_;
            return TokenKind::LineComment;
        case u'(':
            ++pos_;
            return TokenKind::VariationStart;
        case u')':
            ++pos_;
            return TokenKind::VariationEnd;
        case u'*':
            return TokenKind::GameEnd;
        case u'$':
            return ReadNag(token);
        case u'!':
        case u'?':
            return ReadGlyph(token);
        case u'0':
            if (next == u'-' && At(pos_ + 2) == u'0') {
                return ReadMoveCharacters(token);
            }
            return TokenKind::GameEnd;
        case u'1':
            if (next == u'-' || next == u'/') {
                return TokenKind::GameEnd;
            }
            return ReadMoveNumber(token);
        default:
            break;
    }
    if (c >= u'2' && c <= u'9') {
        return ReadMoveNumber(token);
    }
    if (StartsMove(c)) {
        return ReadMoveCharacters(token);
    }
    return ReadUnknown(token);
}

TokenKind PgnLexer::ReadMoveNumber(PgnToken& token) {
    token.Append(At(pos_++));
    while (IsDigit(At(pos_))) {
        token.Append(At(pos_++));
    }
    while (At(pos_) == u'.') {
        token.Append(At(pos_++));
    }
    return TokenKind::MoveNumber;
}

TokenKind PgnLexer::ReadMoveCharacters(PgnToken& token) {
    token.Append(At(pos_++));
    while (IsMoveCharacter(At(pos_))) {
        token.Append(At(pos_++));
    }
    return TokenKind::MoveText;
}

TokenKind PgnLexer::ReadNag(PgnToken& token) {
    token.Append(At(pos_++));
    while (IsDigit(At(pos_))) {
        token.Append(At(pos_++));
    }
    return TokenKind::NagToken;
}

TokenKind PgnLexer::ReadGlyph(PgnToken& token) {
    token.Append(At(pos_++));
    if (At(pos_) == u'!' || At(pos_) == u'?') {
        token.Append(At(pos_++));
    }
    GlyphToNag(token);
    return TokenKind::NagToken;
}

TokenKind PgnLexer::ReadUnknown(PgnToken& token) {
    // The position stays on the character: asked again, the lexer gives it again.
    for (int i = pos_; At(i) != u'\0' && token.Append(At(i)); ++i) {
    }
    return TokenKind::UnknownToken;
}

bool PgnLexer::ReadComment(Position& position) {
    TextAccumulator text;
    while (true) {
        if (pos_ < 0) {
            if (!ReadLine()) {
                return true;
            }
            pos_ = 0;
        }
        const char16_t c = At(pos_);
        if (c == u'}') {
            std::u16string_view comment = text.View();
            const std::size_t start = comment.find_first_not_of(u" \t");
            comment =
                start == std::u16string_view::npos ? std::u16string_view{} : comment.substr(start);
            position.SetComment(std::u16string(comment));
            ++pos_;
            return true;
        }
        if (c == u'\0') {
            pos_ = -1;
            continue;
        }
        // Each line break inside a comment becomes one blank.
        if (pos_ == 0 && !text.Append(u' ')) {
            return false;
        }
        if (!text.Append(c)) {
            return false;
        }
        ++pos_;
    }
}

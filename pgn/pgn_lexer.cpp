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

PgnLexer::PgnLexer(BufferedFile& file, std::u16string_view firstLine, bool firstLineCut)
    : file_(file),
      line_(firstLine.substr(0, std::min(firstLine.size(), kMaxWholeLine))),
      lineCut_(firstLineCut) {
    // An escape line ("%") is skipped like any other.
    if (!line_.empty() && line_[0] == u'%') {
        pos_ = -1;
    }
}

bool PgnLexer::ReadLine() {
    lineStart_ = file_.Tell();
    continuation_ = lineCut_;
    return ReadWholeLine(file_, bytes_, line_, lineCut_);
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
        if (At(0) == u'[' && !continuation_) {
            ended_ = true;
            endOffset_ = lineStart_;
            return TokenKind::GameEnd;
        }
        // An escape line, for other programs' private data, is no part of the game.
        if (At(0) != u'%' || continuation_) {
            pos_ = 0;
        }
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
            return SkipResultMark();
        case u'$':
            return ReadNag(token);
        case u'!':
        case u'?':
            return ReadGlyph(token);
        case u'0':
            if (next == u'-' && At(pos_ + 2) == u'0') {
                return ReadMoveCharacters(token);
            }
            return SkipResultMark();
        case u'1':
            if (next == u'-' || next == u'/') {
                return SkipResultMark();
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

TokenKind PgnLexer::SkipResultMark() {
    if (At(pos_) == u'*') {
        ++pos_;
        return TokenKind::GameEnd;
    }
    // "1-0", "0-1", "1/2-1/2", and whatever else begins like them.
    do {
        ++pos_;
    } while (At(pos_) == u'0' || At(pos_) == u'1' || At(pos_) == u'2' || At(pos_) == u'/' ||
             At(pos_) == u'-');
    return TokenKind::GameEnd;
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

void PgnLexer::ReadLineComment(std::u16string& text) {
    int start = std::max(pos_, 0);
    while (IsBlankOrTab(At(start))) {
        ++start;
    }
    text.assign(line_, std::min(static_cast<std::size_t>(start), line_.size()));
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
        const char16_t c = At(pos_);
        if (c == u'}') {
            std::u16string_view comment = gathered.View();
            const std::size_t start = comment.find_first_not_of(u" \t");
            comment =
                start == std::u16string_view::npos ? std::u16string_view{} : comment.substr(start);
            text.assign(comment);
            ++pos_;
            return CommentRead::Read;
        }
        if (c == u'\0') {
            pos_ = -1;
            continue;
        }
        // Each line break inside a comment becomes one blank; the part of a line too
        // long to be read at once goes on without one.
        if (pos_ == 0 && !continuation_ && !gathered.Append(u' ')) {
            return CommentRead::TooLong;
        }
        if (!gathered.Append(c)) {
            return CommentRead::TooLong;
        }
        ++pos_;
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

#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "pgn/file_line.h"
#include "pgn/pgn_token.h"

class BufferedFile;
class Position;

// Cuts the move text of one game into tokens, one line at a time. It knows nothing of
// chess: whether a move is legal is the reader's business. The file is not owned and
// stays open for the lexer's whole life; its position is always just past the last
// line read.
class PgnLexer {
public:
    // Starts on `firstLine`, already read and converted by the creator.
    PgnLexer(BufferedFile& file, std::u16string_view firstLine);
    virtual ~PgnLexer() = default;

    PgnLexer(const PgnLexer&) = delete;
    PgnLexer& operator=(const PgnLexer&) = delete;

    // The next token; `token` receives the text of MoveNumber, MoveText, NagToken and
    // UnknownToken. Once the game has ended at the end of the file or at the next
    // game's first tag line, every call gives GameEnd again and reads nothing.
    TokenKind NextToken(PgnToken& token);

    // Drops the rest of the current line (after LineComment).
    void SkipRestOfLine() { pos_ = -1; }

    // Called right after CommentStart: reads up to and including the closing brace and
    // makes the text (without its leading blanks and tabs, each line break turned into
    // one blank) the comment of `position`, replacing any earlier one. At the end of
    // the file the text is dropped, the comment stays as it was, and the result is
    // still true. False only when the text cannot be stored.
    bool ReadComment(Position& position);

    // Where the game's slot ends: the start of the next game's first tag line when the
    // move text ended there, otherwise the file position.
    std::uint64_t EndOffset() const;

    // The index of the next character to look at, -1 between lines.
    int pos() const { return pos_; }

private:
    // Reads and converts the next line; false at the end of the file.
    bool ReadLine();
    char16_t At(int index) const {
        return index < static_cast<int>(length_) ? line_[static_cast<std::size_t>(index)] : u'\0';
    }
    TokenKind ReadMoveNumber(PgnToken& token);
    TokenKind ReadMoveCharacters(PgnToken& token);
    TokenKind ReadNag(PgnToken& token);
    TokenKind ReadGlyph(PgnToken& token);
    TokenKind ReadUnknown(PgnToken& token);

    BufferedFile& file_;
    LineText line_{};
    std::size_t length_ = 0;
    int pos_ = 0;
    bool ended_ = false;           // the game ended at the file's end or the next tags
    std::uint64_t endOffset_ = 0;  // where, when ended_
    std::uint64_t lineStart_ = 0;  // file offset of the line in line_
};

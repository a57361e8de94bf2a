#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "pgn/file_line.h"
#include "pgn/pgn_token.h"

class BufferedFile;
class Position;

// Cuts the move text of one game into tokens, one line at a time. It knows nothing of
// chess: whether a move is legal is the reader's business. The file is not owned and
// stays open for the lexer's whole life; its position is always just past the last
// line read. Lines are cut into tokens as bytes (every token but a comment and an
// unknown token is ASCII); only the text of those is decoded, by the code page of its
// whole line.
class PgnLexer {
public:
    // Starts on the bytes of `firstLine`, already read by the creator (and copied
    // here); `firstLineCut` when the file goes on with the rest of that line
    // (ReadWholeLine's `cut`).
    PgnLexer(BufferedFile& file, std::string_view firstLine, bool firstLineCut = false);
    ~PgnLexer() = default;

    PgnLexer(const PgnLexer&) = delete;
    PgnLexer& operator=(const PgnLexer&) = delete;

    // The next token; `token` receives the text of MoveNumber, MoveText, NagToken and
    // UnknownToken. Once the game has ended at the end of the file or at the next
    // game's first tag line, every call gives GameEnd again and reads nothing. A
    // result mark also gives GameEnd, but the lexer steps past it (AtResultMark), so
    // that a variation may hold one and the move text go on after it. Lines that
    // start with "%" outside comments are skipped.
    [[nodiscard]] TokenKind NextToken(PgnToken& token);

    // NextToken without the Separator and MoveNumber tokens, which a reader of the moves
    // passes over: blanks, tabs and move numbers are stepped over here without making a
    // token of each.
    [[nodiscard]] TokenKind NextSignificantToken(PgnToken& token);

    // True when the last GameEnd came from a result mark, not from the end of the
    // file or the next game's tags.
    [[nodiscard]] bool AtResultMark() const { return !ended_; }

    // Drops the rest of the current line (after LineComment).
    void SkipRestOfLine() { pos_ = -1; }

    // Called right after LineComment: the rest of the line, without its leading blanks
    // and tabs, into `text`.
    void ReadLineComment(std::u16string& text);

    enum class CommentRead {
        Read,          // `text` holds the comment
        Unterminated,  // the file ended inside it: the text is dropped
        TooLong,       // the text cannot be stored
    };

    // Called right after CommentStart: reads up to and including the closing brace and
    // puts the text (without its leading blanks and tabs, each line break turned into
    // one blank) into `text`.
    [[nodiscard]] CommentRead ReadCommentText(std::u16string& text);

    // ReadCommentText, adding the text to the comment of `position` (joined to an
    // earlier comment by one blank). At the end of the file the text is dropped and the
    // result is still true. False only when the text cannot be stored.
    [[nodiscard]] bool ReadComment(Position& position);

    // Where the game's slot ends: the start of the next game's first tag line when the
    // move text ended there, otherwise the file position.
    [[nodiscard]] std::uint64_t EndOffset() const;

    // The index of the next character to look at, -1 between lines.
    [[nodiscard]] int pos() const { return pos_; }

private:
    // Reads the next line; false at the end of the file.
    bool ReadLine();
    // Makes `bytes` the current line, up to its first zero byte.
    void SetLine(std::string_view bytes);
    [[nodiscard]] char At(int index) const {
        return index < static_cast<int>(line_.size()) ? line_[static_cast<std::size_t>(index)]
                                                      : '\0';
    }
    // Whether the current line is read as UTF-8 (else as Windows-1252).
    bool LineIsUtf8();
    // Decodes the bytes [start, end) of the current line, which begin and end between
    // characters, by the code page of the whole line.
    void Decode(std::size_t start, std::size_t end, std::u16string& text);
    TokenKind SkipResultMark();
    TokenKind ReadMoveNumber(PgnToken& token);
    TokenKind ReadMoveCharacters(PgnToken& token);
    TokenKind ReadNag(PgnToken& token);
    TokenKind ReadGlyph(PgnToken& token);
    TokenKind ReadUnknown(PgnToken& token);

    enum class CodePage { Unknown, Utf8, Windows1252 };

    BufferedFile& file_;
    std::string_view line_;                  // the file's buffer, bytes_ or firstLine_
    CodePage codePage_ = CodePage::Unknown;  // of line_, decided when first needed
    std::string firstLine_;                  // the copy of the creator's line
    std::string bytes_;                      // scratch storage of ReadWholeLineBytes
    std::u16string decoded_;                 // scratch storage of Decode
    bool lineCut_ = false;                   // the file goes on with the rest of line_
    bool continuation_ = false;              // line_ goes on from the previous line read
    int pos_ = 0;
    bool ended_ = false;           // the game ended at the file's end or the next tags
    std::uint64_t endOffset_ = 0;  // where, when ended_
    std::uint64_t lineStart_ = 0;  // file offset of the line in line_
};

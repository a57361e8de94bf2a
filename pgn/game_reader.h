#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

class BufferedFile;
class GameDocument;
class PgnLexer;
class Position;

// Result codes of LoadGame and ReadMoveText.
inline constexpr int kReadOk = 0;
inline constexpr int kReadUnexpected = 2;        // nothing to read at the offset
inline constexpr int kReadCannotOpen = 3;        // the games file cannot be opened
inline constexpr int kReadBadPosition = 4;       // the FEN value is no position
inline constexpr int kReadBadHeaders = 5;        // FEN without SetUp "1" or the reverse
inline constexpr int kReadUnknownToken = 6;      // a character that starts no token
inline constexpr int kReadBadVariation = 7;      // a variation with nothing to vary
inline constexpr int kReadIllegalMove = 8;       // a move of a line is not legal
inline constexpr int kReadIllegalLineStart = 9;  // a variation's first move is not legal
inline constexpr int kReadCommentTooLong = 10;   // a comment cannot be stored

// What reading a game gave: one of the codes above and, for kReadUnknownToken and
// kReadIllegalMove, the text of the token that failed (for ReadErrorText).
struct ReadResult {
    // A code alone converts, so that a reader of tags can give it as it stands.
    ReadResult(int readCode = kReadOk, std::u16string token = {})
        : code(readCode), failingToken(std::move(token)) {}

    int code;
    std::u16string failingToken;

    friend bool operator==(const ReadResult& result, int code) { return result.code == code; }
};

// Variations nested deeper than this give kReadBadVariation instead of going on.
inline constexpr int kMaxVariationNesting = 255;

// Reads the game that starts at byte `offset` of the document's games file into
// `document`, which must be freshly constructed: tags, extra tags, the set-up position
// and the move tree with its variations, comments and annotations. Stores `saveMode`,
// fileOffset and, on success, fileEnd. Gives kReadOk or one of the codes above; on
// failure the document holds part of the game and is to be discarded.
ReadResult LoadGame(GameDocument& document, std::uint64_t offset, std::uint32_t saveMode);

// LoadGame from a games file that the caller has opened (and keeps open and owns), so
// that reading many games of one file reuses its buffer. The document's gamesFile is
// not consulted.
ReadResult LoadGameFromFile(BufferedFile& file, GameDocument& document, std::uint64_t offset,
                            std::uint32_t saveMode);

// Reads one line of moves from `position` to the end of the game or of the variation,
// and the variations inside it. With `startsVariation` the first move is an
// alternative to the move that led to `position`. Gives kReadOk or a code.
ReadResult ReadMoveText(PgnLexer& lexer, Position& position, bool startsVariation);

// The text of a result: for kReadUnknownToken and kReadIllegalMove with the text of
// the token that failed, for unknown codes "Unexpected error".
std::u16string ReadErrorText(const ReadResult& result);

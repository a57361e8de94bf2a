#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

class BufferedFile;
class GameDocument;
class PgnLexer;
class Position;

// Result codes of LoadGame and ReadMoveText; korvani-pgn check prints their numbers.
enum class ReadCode {
    Ok = 0,
    Unexpected = 2,        // nothing to read at the offset
    CannotOpen = 3,        // the games file cannot be opened
    BadPosition = 4,       // the FEN value is no position
    BadHeaders = 5,        // FEN without SetUp "1" or the reverse
    UnknownToken = 6,      // a character that starts no token
    BadVariation = 7,      // a variation with nothing to vary
    IllegalMove = 8,       // a move of a line is not legal
    IllegalLineStart = 9,  // a variation's first move is not legal
    CommentTooLong = 10,   // a comment cannot be stored
};

// What reading a game gave: one of the codes above and, for ReadCode::UnknownToken and
// ReadCode::IllegalMove, the text of the token that failed (for ReadErrorText).
struct [[nodiscard]] ReadResult {
    // A code alone converts, so that a reader of tags can give it as it stands.
    ReadResult(ReadCode readCode = ReadCode::Ok, std::u16string token = {})
        : code(readCode), failingToken(std::move(token)) {}

    ReadCode code;
    std::u16string failingToken;

    friend bool operator==(const ReadResult& result, ReadCode code) { return result.code == code; }
};

// Variations nested deeper than this give ReadCode::BadVariation instead of going on.
inline constexpr int kMaxVariationNesting = 255;

// Reads the game that starts at byte `offset` of the document's games file into
// `document`, which must be freshly constructed: tags, extra tags, the set-up position
// and the move tree with its variations, comments and annotations. Stores `saveMode`,
// fileOffset and, on success, fileEnd. Gives ReadCode::Ok or one of the codes above; on
// failure the document holds part of the game and is to be discarded.
ReadResult LoadGame(GameDocument& document, std::uint64_t offset, std::uint32_t saveMode);

// LoadGame from a games file that the caller has opened (and keeps open and owns), so
// that reading many games of one file reuses its buffer. The document's gamesFile is
// not consulted.
ReadResult LoadGameFromFile(BufferedFile& file, GameDocument& document, std::uint64_t offset,
                            std::uint32_t saveMode);

// Reads one line of moves from `position` to the end of the game or of the variation,
// and the variations inside it. With `startsVariation` the first move is an
// alternative to the move that led to `position`. Gives ReadCode::Ok or a code.
ReadResult ReadMoveText(PgnLexer& lexer, Position& position, bool startsVariation);

// The text of a result: for ReadCode::UnknownToken and ReadCode::IllegalMove with the text of
// the token that failed, for unknown codes "Unexpected error".
[[nodiscard]] std::u16string ReadErrorText(const ReadResult& result);

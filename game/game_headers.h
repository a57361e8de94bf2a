#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The interpreted tags of one game: the seven-tag roster, the players' e-mail
// addresses and the correspondence state (LastMove, Trait, LastMoveDate), plus the
// game's byte range in the games file. Every text is owned; std::nullopt is unset.
class GameHeaders {
public:
    // White "White", Black "Black", every other text unset, result unset (-1).
    GameHeaders();
    virtual ~GameHeaders() = default;

    // Each setter stores a copy of `text`, or clears the field for std::nullopt.
    void SetWhite(std::optional<std::u16string_view> text);
    void SetBlack(std::optional<std::u16string_view> text);
    void SetEvent(std::optional<std::u16string_view> text);
    void SetDate(std::optional<std::u16string_view> text);
    void SetRound(std::optional<std::u16string_view> text);
    void SetSite(std::optional<std::u16string_view> text);
    void SetWhiteEmail(std::optional<std::u16string_view> text);
    void SetBlackEmail(std::optional<std::u16string_view> text);
    void SetLastMoveDate(std::optional<std::u16string_view> text);

    // Stores the low 8 bits of `code` (0 White won, 1 draw, 2 Black won, 3 other).
    void SetResultCode(int code);

    // Sets resultCode from the exact text: "1-0" 0, "0-1" 2, "1/2-1/2" or "½-½" 1,
    // anything else 3.
    void ParseResult(std::u16string_view text);

    // "1-0", "½-½" (compact) or "1/2-1/2", "0-1", or "*" for any other code.
    std::u16string_view ResultText(bool compact) const;

    // Clears every text, the result (-1), lastMove and trait (0).
    void ClearTags();

    // True when the seven-tag roster is present: White, Black, Event, Date, Round and
    // Site set and the result not -1.
    bool IsComplete() const;

    // After a move was sent or an answer imported: White to move becomes Black to
    // move and lastMove grows by one; Black to move becomes White to move.
    void AdvanceAfterExchange();

    // True for a game played by e-mail and still running: WhiteEmail set, even to an
    // empty text (the game's correspondence tags are then written and read back), and
    // no result (result code 3). The games list's "* " mark and the game display's
    // exchange commands both follow it.
    bool IsRunningEmailGame() const;

    // The name of the player to move in the correspondence game (White's when trait
    // is 0, Black's otherwise); empty when that tag is unset.
    std::u16string_view PlayerToMove() const;

    std::optional<std::u16string> white;
    std::optional<std::u16string> black;
    std::optional<std::u16string> event;
    std::optional<std::u16string> date;
    std::optional<std::u16string> round;
    std::optional<std::u16string> site;
    int resultCode = -1;
    std::optional<std::u16string> whiteEmail;
    std::optional<std::u16string> blackEmail;
    std::optional<std::u16string> lastMoveDate;
    std::uint16_t lastMove = 0;
    std::uint16_t trait = 0;  // side to move: 0 White, 32 Black
    // A LastMove or Trait tag was read: a game without WhiteEmail writes it back.
    bool lastMoveRead = false;
    bool traitRead = false;
    std::uint64_t fileOffset = 0;
    std::uint64_t fileEnd = 0;
};

// Reads a Trait tag's value: 0 (White) when it equals "White" in any letter case,
// else 32.
std::uint16_t ParseTrait(std::u16string_view value);

// Reads a LastMove tag's value: the decimal number at its start, 0 when none.
std::uint16_t ParseLastMove(std::u16string_view value);

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The result of a game as the Result tag gives it; Unset when the game has none. Other
// values (a code SetResultCode was given) are kept, and written as no Result tag.
enum class GameResult : int {
    Unset = -1,
    WhiteWins = 0,
    Draw = 1,
    BlackWins = 2,
    Other = 3,  // "*": the game goes on, or ended some other way
};

// The interpreted tags of one game: the seven-tag roster, the players' e-mail
// addresses and the correspondence state (LastMove, Trait, LastMoveDate), plus the
// game's byte range in the games file. Every text is owned; std::nullopt is unset.
class GameHeaders {
public:
    // White "White", Black "Black", every other text unset, result Unset.
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

    // Stores the low 8 bits of `code` as the result (0 White won, 1 draw, 2 Black won,
    // 3 other).
    void SetResultCode(int code);

    // Sets the result from the exact text: "1-0" WhiteWins, "0-1" BlackWins,
    // "1/2-1/2" or "½-½" Draw, anything else Other.
    void ParseResult(std::u16string_view text);

    // "1-0", "½-½" (compact) or "1/2-1/2", "0-1", or "*" for any other result.
    [[nodiscard]] std::u16string_view ResultText(bool compact) const;

    // Clears every text, the result (Unset), lastMove and trait (0).
    void ClearTags();

    // True when the seven-tag roster is present: White, Black, Event, Date, Round and
    // Site set and the result not Unset.
    [[nodiscard]] bool IsComplete() const;

    // After a move was sent or an answer imported: White to move becomes Black to
    // move and lastMove grows by one; Black to move becomes White to move.
    void AdvanceAfterExchange();

    // True for a game played by e-mail and still running: WhiteEmail set, even to an
    // empty text (the game's correspondence tags are then written and read back), and
    // no result (GameResult::Other). The games list's "* " mark and the game display's
    // exchange commands both follow it.
    [[nodiscard]] bool IsRunningEmailGame() const;

    // The name of the player to move in the correspondence game (White's when trait
    // is 0, Black's otherwise); empty when that tag is unset.
    [[nodiscard]] std::u16string_view PlayerToMove() const;

    std::optional<std::u16string> white;
    std::optional<std::u16string> black;
    std::optional<std::u16string> event;
    std::optional<std::u16string> date;
    std::optional<std::u16string> round;
    std::optional<std::u16string> site;
    GameResult result = GameResult::Unset;
    std::optional<std::u16string> whiteEmail;
    std::optional<std::u16string> blackEmail;
    std::optional<std::u16string> lastMoveDate;
    std::uint16_t lastMove = 0;
    std::uint16_t trait = 0;  // side to move: kWhite or kBlack
    // A LastMove or Trait tag was read: a game without WhiteEmail writes it back.
    bool lastMoveRead = false;
    bool traitRead = false;
    std::uint64_t fileOffset = 0;
    std::uint64_t fileEnd = 0;
};

// Reads a Trait tag's value: 0 (White) when it equals "White" in any letter case,
// else 32.
[[nodiscard]] std::uint16_t ParseTrait(std::u16string_view value);

// Reads a LastMove tag's value: the decimal number at its start, 0 when none.
[[nodiscard]] std::uint16_t ParseLastMove(std::u16string_view value);

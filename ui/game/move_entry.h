#pragma once

#include <QString>
#include <cstdint>

class MoveEntryHost;

// The four-digit move entry on the board: the file and rank digits of the from-square
// and of the to-square, 1 standing for file a or rank 1. The from-square is accepted
// only when it holds a piece of the side to move; a fourth digit that completes a
// legal move plays it, follows it when it exists, or asks about a new line. Refusals
// are silent: the last digit is taken back.
class MoveEntry {
public:
    // The entry of `host`'s board (not owned; it outlives the entry), empty.
    explicit MoveEntry(MoveEntryHost& host);
    ~MoveEntry();

    MoveEntry(const MoveEntry&) = delete;
    MoveEntry& operator=(const MoveEntry&) = delete;

    // One key pressed on the board: a digit 1 to 8 (Qt::Key_1..Key_8, main row or
    // keypad) adds to the entry, the back key (Qt::Key_Escape) takes the last digit
    // back, any other key changes nothing. The file labels and the "New:" field show
    // the entry afterwards.
    void HandleEntryKey(int key);

    // Plays the four typed digits as a move; on refusal three digits stay typed.
    void TryEnterMove();

    // Forgets every digit typed (the current position changed): no square is
    // selected, the "New:" field is empty and no file label is highlighted.
    void Reset();

    // How many digits have been typed: 0 to 4.
    [[nodiscard]] std::int16_t DigitCount() const { return digitCount_; }

    // The file whose label is highlighted: the from-file after one digit, the
    // to-file after three; 255 otherwise.
    [[nodiscard]] std::uint8_t HighlightedFile() const;

    // The text of the "New:" field: up to three characters of "e2e".
    [[nodiscard]] QString NewFieldText() const;

private:
    void StoreDigit(int digit);
    void CheckFromSquare();
    void ShowEntry();
    [[nodiscard]] int From() const;
    [[nodiscard]] int To() const;

    MoveEntryHost& host_;
    std::uint8_t fromFile_ = 0;
    std::uint8_t fromRank_ = 0;
    std::uint8_t toFile_ = 0;
    std::uint8_t toRank_ = 0;
    std::int16_t digitCount_ = 0;
};

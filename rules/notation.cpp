#include "rules/notation.h"

#include <cstdio>

#include "rules/move_node.h"
#include "rules/position.h"

namespace {

bool IsFileLetter(char16_t c) {
    return c >= u'a' && c <= u'h';
}
bool IsRankDigit(char16_t c) {
    return c >= u'1' && c <= u'8';
}

// Appends characters to a SAN buffer, always leaving room for the terminator.
class SanWriter {
public:
    explicit SanWriter(SanBuffer& buffer) : buffer_(buffer) {}
    void Put(char16_t c) {
        if (length_ + 1 < buffer_.size()) {
            buffer_[length_++] = c;
        }
    }
    void Put(std::u16string_view text) {
        for (char16_t c : text) {
            Put(c);
        }
    }
    void PutNumber(int value) {
        char digits[12];
        const int n = std::snprintf(digits, sizeof digits, "%d", value);
        for (int i = 0; i < n; ++i) {
            Put(static_cast<char16_t>(digits[i]));
        }
    }
    void PutSquare(int square) {
        Put(static_cast<char16_t>(u'a' + FileOf(square)));
        Put(static_cast<char16_t>(u'1' + RankOf(square)));
    }
    std::size_t Finish() {
        buffer_[length_] = 0;
        return length_;
    }

private:
    SanBuffer& buffer_;
    std::size_t length_ = 0;
};

// Reads characters of a SAN text by index; past the end every character is 0.
class SanReader {
public:
    explicit SanReader(std::u16string_view text) : text_(text) {}
    [[nodiscard]] char16_t At(std::size_t i) const { return i < text_.size() ? text_[i] : u'\0'; }
    [[nodiscard]] bool StartsWith(std::u16string_view prefix) const {
        return text_.starts_with(prefix);
    }
    [[nodiscard]] bool IsSquareAt(std::size_t i) const {
        return IsFileLetter(At(i)) && IsRankDigit(At(i + 1));
    }
    [[nodiscard]] int SquareAt(std::size_t i) const {
        return IsSquareAt(i) ? MakeSquare(At(i) - u'a', At(i + 1) - u'1') : -1;
    }

private:
    std::u16string_view text_;
};

int PromotionType(char16_t letter) {
    switch (letter) {
        case u'B':
            return kBishop;
        case u'N':
            return kKnight;
        case u'Q':
            return kQueen;
        case u'R':
            return kRook;
        default:
            return 0;
    }
}

int PieceTypeOfLetter(char16_t letter) {
    return letter == u'K' ? kKing : PromotionType(letter);
}

// A move read from text: squares (-1 unknown) and the promotion type.
struct SanMove {
    int from = -1;
    int to = -1;
    int promotion = 0;
};

bool ReadCastling(const SanReader& text, Colour side, SanMove& move) {
    if (text.At(0) != u'O' && text.At(0) != u'0') {
        return false;
    }
    const int kingFrom = side == kWhite ? kE1 : kE8;
    if (text.StartsWith(u"O-O-O") || text.StartsWith(u"0-0-0")) {
        move = {kingFrom, kingFrom - 2, 0};
        return true;
    }
    if (text.StartsWith(u"O-O") || text.StartsWith(u"0-0")) {
        move = {kingFrom, kingFrom + 2, 0};
        return true;
    }
    return false;
}

bool ReadPawnMove(const SanReader& text, const Position& position, SanMove& move) {
    const Colour side = position.sideToMove();
    const int behind = side == kWhite ? -8 : 8;
    const int fromFile = text.At(0) - u'a';
    std::size_t promotionAt = 2;
    bool capture = true;
    if (text.At(1) == u'x') {
        move.to = text.SquareAt(2);
        promotionAt = 4;
    } else if (IsFileLetter(text.At(1))) {
        move.to = text.SquareAt(1);
        promotionAt = 3;
    } else {
        move.to = text.SquareAt(0);
        capture = false;
    }
    if (move.to < 0) {
        return false;
    }
    if (move.to + behind < 0 || move.to + behind >= kSquareCount) {
        return false;
    }
    move.from = MakeSquare(capture ? fromFile : FileOf(move.to), RankOf(move.to + behind));
    const int doubleStepRank = side == kWhite ? kRank4 : kRank5;
    if (!capture && RankOf(move.to) == doubleStepRank && position.GetSquare(move.from) == kEmpty) {
        move.from += behind;
    }
    if (position.GetSquare(move.from) != side + kPawn) {
        return false;
    }
    const int lastRank = side == kWhite ? kRank8 : kRank1;
    if (RankOf(move.to) != lastRank) {
        return true;
    }
    char16_t letter = text.At(promotionAt);
    if (letter == u'=') {
        letter = text.At(promotionAt + 1);
    }
    move.promotion = PromotionType(letter);
    return move.promotion != 0;
}

// Among several pieces that could go to the target, the first in ascending order
// that matches the hints and may legally move there.
int ChooseCandidate(Position& position, const std::array<Square, 64>& candidates, int count,
                    int fileHint, int rankHint, int to) {
    if (count == 1) {
        return candidates[0];
    }
    for (int i = 0; i < count; ++i) {
        const int square = candidates[i];
        if ((fileHint >= 0 && FileOf(square) != fileHint) ||
            (rankHint >= 0 && RankOf(square) != rankHint)) {
            continue;
        }
        if (position.IsLegal(square, to)) {
            return square;
        }
    }
    return -1;
}

bool ReadPieceMove(const SanReader& text, Position& position, SanMove& move) {
    const auto code = static_cast<PieceCode>(position.sideToMove() + PieceTypeOfLetter(text.At(0)));
    int fileHint = -1;
    int rankHint = -1;
    std::size_t next = 1;
    if (text.IsSquareAt(1)) {
        if (text.IsSquareAt(3)) {
            move.from = text.SquareAt(1);
            move.to = text.SquareAt(3);
        } else if (text.At(3) == u'x' && text.IsSquareAt(4)) {
            move.from = text.SquareAt(1);
            move.to = text.SquareAt(4);
        } else {
            move.to = text.SquareAt(1);
        }
    } else if (IsFileLetter(text.At(1))) {
        fileHint = text.At(1) - u'a';
        next = 2;
    }
    if (move.to < 0) {
        if (IsRankDigit(text.At(next))) {
            rankHint = text.At(next) - u'1';
            ++next;
        }
        if (text.At(next) == u'x') {
            ++next;
        }
        move.to = text.SquareAt(next);
        if (move.to < 0) {
            return false;
        }
    }
    if (move.from >= 0) {
        return position.GetSquare(move.from) == code;
    }
    std::array<Square, 64> candidates{};
    const int count = position.FindCandidates(code, kNoSquare, move.to, candidates);
    move.from = ChooseCandidate(position, candidates, count, fileHint, rankHint, move.to);
    return move.from >= 0;
}

}  // namespace

char16_t PieceLetter(int pieceType, NotationLanguage language) {
    if (pieceType < 0 || pieceType > kKing) {
        return u' ';
    }
    return PieceLetters[pieceType][static_cast<int>(language)];
}

std::array<char16_t, 3> ComputeDisambiguation(const Position& position, int from, int to) {
    std::array<char16_t, 3> result{};
    // A pawn's SAN names its file by itself and a king is never ambiguous: about half
    // the moves of a game need no search at all.
    const int type =
        from >= 0 && from < kSquareCount ? PieceType(position.GetSquare(from)) : kEmpty;
    if (type < kRook || type > kQueen) {
        return result;
    }
    std::array<Square, 64> candidates{};
    const int count = position.FindCandidates(kEmpty, from, to, candidates);
    if (count == 0) {
        return result;
    }
    bool sameFile = false;
    bool sameRank = false;
    for (int i = 0; i < count; ++i) {
        sameFile = sameFile || FileOf(candidates[i]) == FileOf(from);
        sameRank = sameRank || RankOf(candidates[i]) == RankOf(from);
    }
    const auto fileLetter = static_cast<char16_t>(u'a' + FileOf(from));
    const auto rankDigit = static_cast<char16_t>(u'1' + RankOf(from));
    if (!sameFile) {
        result[0] = fileLetter;
    } else if (!sameRank) {
        result[0] = rankDigit;
    } else {
        result[0] = fileLetter;
        result[1] = rankDigit;
    }
    return result;
}

std::size_t FormatSan(const MoveNode& move, SanBuffer& buffer, bool withNumber, bool nagAsNumber,
                      NotationLanguage language) {
    SanWriter out(buffer);
    const PieceCode mover = move.parent->GetSquare(move.from);
    if (withNumber) {
        out.PutNumber(move.moveNumber);
        out.Put(PieceColour(mover) == kBlack ? u"... " : u". ");
    }
    const int type = PieceType(mover);
    if (type == kKing && move.castling != CastlingSide::None) {
        out.Put(move.castling == CastlingSide::KingSide ? u"O-O" : u"O-O-O");
    } else if (type >= kRook && type <= kKing) {
        out.Put(PieceLetter(type, language));
        if (type != kKing) {
            for (std::size_t i = 0; i < 2 && move.disambiguation[i] != 0; ++i) {
                out.Put(move.disambiguation[i]);
            }
        }
        if (move.isCapture) {
            out.Put(u'x');
        }
        out.PutSquare(move.to);
    } else {
        if (move.isCapture) {
            out.Put(static_cast<char16_t>(u'a' + FileOf(move.from)));
            out.Put(u'x');
        }
        out.PutSquare(move.to);
    }
    if (move.promotion >= kRook && move.promotion <= kQueen) {
        out.Put(u'=');
        out.Put(PieceLetter(move.promotion, language));
    }
    if (move.givesCheck) {
        out.Put(u'+');
    }
    if (nagAsNumber && move.nag != 0) {
        out.Put(u" $");
        out.PutNumber(move.nag);
    } else if (!nagAsNumber && move.nag >= 1 && move.nag <= NagGlyphs.size()) {
        out.Put(NagGlyphs[move.nag - 1]);
    }
    return out.Finish();
}

std::u16string FormatSanText(const MoveNode& move, bool withNumber, bool nagAsNumber,
                             NotationLanguage language) {
    SanBuffer buffer{};
    const std::size_t length = FormatSan(move, buffer, withNumber, nagAsNumber, language);
    return {buffer.data(), length};
}

void TranslateToEnglish(std::u16string& text, NotationLanguage language) {
    if (language == NotationLanguage::English) {
        return;
    }
    const auto column = static_cast<std::size_t>(language);
    for (char16_t& c : text) {
        for (const std::u16string_view letters : PieceLetters) {
            if (letters[column] == c) {
                c = letters[0];
                break;
            }
        }
    }
}

namespace {

Position* ReadSan(Position& position, std::u16string_view text, bool reuseExisting) {
    const SanReader reader(text);
    SanMove move;
    const char16_t first = reader.At(0);
    bool read = false;
    if (ReadCastling(reader, position.sideToMove(), move)) {
        read = true;
    } else if (IsFileLetter(first)) {
        read = ReadPawnMove(reader, position, move);
    } else if (PieceTypeOfLetter(first) != 0) {
        read = ReadPieceMove(reader, position, move);
    }
    if (!read) {
        return nullptr;
    }
    if (reuseExisting) {
        if (Position* existing = position.FindMove(move.from, move.to, move.promotion)) {
            return existing;
        }
    }
    return position.AddMove(move.from, move.to, nullptr, move.promotion);
}

}  // namespace

Position* ParseSan(Position& position, std::u16string_view text) {
    return ReadSan(position, text, true);
}

Position* ParseSanAsNewLine(Position& position, std::u16string_view text) {
    return ReadSan(position, text, false);
}

#include "rules/fen.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "rules/position.h"

namespace {

constexpr std::u16string_view kFenLetters = u"PRNBQKprnbqk";
// The letter of each castling right, in the order of CastlingRight.
constexpr char16_t kCastlingLetters[kCastlingRightCount] = {u'K', u'Q', u'k', u'q'};

char16_t FenLetter(PieceCode code) {
    const int index = PieceType(code) - 1 + (PieceColour(code) == kBlack ? 6 : 0);
    return kFenLetters[static_cast<std::size_t>(index)];
}

void WritePlacement(const Position& position, std::u16string& out) {
    for (int rank = kRank8; rank >= kRank1; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const PieceCode code = position.GetSquare(file, rank);
            if (code == kEmpty || PieceType(code) > kKing) {
                ++empty;
                continue;
            }
            if (empty > 0) {
                out += static_cast<char16_t>(u'0' + empty);
                empty = 0;
            }
            out += FenLetter(code);
        }
        if (empty > 0) {
            out += static_cast<char16_t>(u'0' + empty);
        }
        if (rank > 0) {
            out += u'/';
        }
    }
}

// The placement field: a cursor walks a8..h8, a7..h7, ... h1; "/" and unknown
// characters are ignored, and nothing is placed past h1.
void ReadPlacement(Position& position, std::u16string_view field) {
    int cursor = 0;
    for (char16_t c : field) {
        if (c >= u'1' && c <= u'8') {
            cursor += c - u'0';
            continue;
        }
        const std::size_t index = kFenLetters.find(c);
        if (index == std::u16string_view::npos) {
            continue;
        }
        if (cursor < kSquareCount) {
            const int type = static_cast<int>(index % 6) + 1;
            const Colour colour = index < 6 ? kWhite : kBlack;
            position.SetSquare(MakeSquare(cursor % 8, kRank8 - cursor / 8),
                               static_cast<PieceCode>(type + colour));
        }
        ++cursor;
    }
}

// Splits off the text up to the next blank; false when the text has no blank.
bool TakeField(std::u16string_view& text, std::u16string_view& field) {
    const std::size_t blank = text.find(u' ');
    if (blank == std::u16string_view::npos) {
        return false;
    }
    field = text.substr(0, blank);
    text.remove_prefix(blank + 1);
    return true;
}

// The decimal number at the start of `text`, 0 when there is none; a long run of
// digits stops growing at a billion instead of wrapping.
std::uint32_t LeadingNumber(std::u16string_view text) {
    constexpr std::uint64_t kLimit = 1000000000;
    std::uint64_t number = 0;
    for (std::size_t i = 0; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        number = std::min(number * 10 + static_cast<std::uint64_t>(text[i] - u'0'), kLimit);
    }
    return static_cast<std::uint32_t>(number);
}

void AppendNumber(std::u16string& out, unsigned number) {
    for (char c : std::to_string(number)) {
        out += static_cast<char16_t>(c);
    }
}

}  // namespace

std::u16string WriteFen(const Position& position) {
    std::u16string out;
    out.reserve(100);
    WritePlacement(position, out);
    out += position.sideToMove() == kBlack ? u" b " : u" w ";
    bool anyRight = false;
    for (int i = 0; i < kCastlingRightCount; ++i) {
        if (position.HasCastlingRight(static_cast<CastlingRight>(i))) {
            out += kCastlingLetters[i];
            anyRight = true;
        }
    }
    if (!anyRight) {
        out += u'-';
    }
    out += u' ';
    if (position.epSquare() >= kSquareCount) {
        out += u'-';
    } else {
        out += static_cast<char16_t>(u'a' + FileOf(position.epSquare()));
        out += static_cast<char16_t>(u'1' + RankOf(position.epSquare()));
    }
    // A set-up root gives back the clock and number it was read with; positions
    // reached by moves keep no clock, and their number comes from moveNumber.
    const bool readFromFen = position.setUp && position.incomingMove == nullptr;
    const unsigned halfMoves = readFromFen ? position.halfMoveClock : 0;
    const unsigned fullMove =
        readFromFen
            ? position.fullMoveNumber
            : (position.sideToMove() == kWhite ? position.moveNumber + 1u : position.moveNumber);
    out += u' ';
    AppendNumber(out, halfMoves);
    out += u' ';
    AppendNumber(out, fullMove);
    return out;
}

bool ReadFen(Position& position, std::u16string_view text) {
    position.ClearBoard();

    std::u16string_view placement;
    std::u16string_view colour;
    std::u16string_view castling;
    std::u16string_view enPassant;
    std::u16string_view halfMoves;
    if (!TakeField(text, placement)) {
        return false;
    }
    ReadPlacement(position, placement);
    if (!TakeField(text, colour) || colour.empty()) {
        return false;
    }
    position.SetSideToMove(colour[0] == u'w' ? kWhite : kBlack);
    if (!TakeField(text, castling)) {
        return false;
    }
    for (char16_t c : castling) {
        if (c == u'-') {
            continue;
        }
        int right = 0;
        while (right < kCastlingRightCount && kCastlingLetters[right] != c) {
            ++right;
        }
        if (right == kCastlingRightCount) {
            return false;
        }
        position.SetCastlingRight(static_cast<CastlingRight>(right), true);
    }
    if (!TakeField(text, enPassant) || enPassant.empty()) {
        return false;
    }
    if (enPassant[0] == u'-') {
        position.SetEpSquare(kNoSquare);
    } else if (enPassant.size() >= 2 && enPassant[0] >= u'a' && enPassant[0] <= u'h' &&
               enPassant[1] >= u'1' && enPassant[1] <= u'8') {
        position.SetEpSquare(
            static_cast<Square>(MakeSquare(enPassant[0] - u'a', enPassant[1] - u'1')));
    } else {
        return false;
    }
    if (!TakeField(text, halfMoves)) {
        return false;
    }
    position.halfMoveClock = LeadingNumber(halfMoves);
    position.fullMoveNumber = LeadingNumber(text);
    // The moves count from 1 when the text says 0; moveNumber keeps 8 bits.
    const unsigned fullMove = position.fullMoveNumber == 0 ? 1 : position.fullMoveNumber;
    position.moveNumber =
        static_cast<std::uint8_t>(position.sideToMove() == kWhite ? fullMove - 1 : fullMove);
    position.setUp = true;
    return true;
}

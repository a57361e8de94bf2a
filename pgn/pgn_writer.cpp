#include "pgn/pgn_writer.h"

#include <string>
#include <vector>

#include "game/extra_tag.h"
#include "game/game_document.h"
#include "game/move_tree.h"
#include "pgn/byte_sink.h"
#include "pgn/tag_line.h"
#include "platform/text_codec.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"

namespace {

constexpr std::size_t kLineWidth = 80;  // a line holds fewer bytes than this
constexpr std::size_t kMaxPiece = 511;  // bytes of one piece of a long text
// The reader reads tag lines whole however they are cut by its reads; a longer tag
// line than this comes from a value no game needs and is cut to fit.
constexpr std::size_t kMaxTagLine = 65533;

// A line may not start with "[", which the games index reads as the next game's first
// tag, nor with "%", which readers skip as an escape line, nor with a byte-order mark
// (U+FEFF in a comment), which readers skip where a file joined with cat has one.
bool StartsNoLine(std::string_view rest) {
    return rest.starts_with('[') || rest.starts_with('%') || rest.starts_with("\xEF\xBB\xBF");
}

std::optional<LineBreak> BreakAt(std::string_view bytes, std::size_t i, BreakRule rule) {
    const char c = bytes[i];
    const bool blank = c == ' ';
    const bool bracket = rule == BreakRule::MoveText && (c == '(' || c == '{');
    if (!blank && !bracket) {
        return std::nullopt;
    }
    // The reader turns a line break inside a comment into a blank, except just before
    // the closing brace: a blank there must stay on the line.
    const std::string_view rest = bytes.substr(i + 1);
    if (StartsNoLine(rest) || (rule == BreakRule::Comment && rest.starts_with('}'))) {
        return std::nullopt;
    }
    return blank ? LineBreak{i, true} : LineBreak{i + 1, false};
}

// True when the line may end just before `bytes`: a leading blank must be a place
// where the rule allows a break. Inside a comment the reader turns every line break
// into a blank, so a line may end before another character only at the start of a
// comment's first piece (its opening brace): every later piece starts with a blank.
bool CanBreakBefore(std::string_view bytes, BreakRule rule, bool pieceStart) {
    if (bytes.front() != ' ') {
        return rule != BreakRule::Comment || pieceStart;
    }
    return BreakAt(bytes, 0, rule).has_value();
}

std::optional<LineBreak> FindFirstBreak(std::string_view bytes, BreakRule rule) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (const auto found = BreakAt(bytes, i, rule)) {
            return found;
        }
    }
    return std::nullopt;
}

bool IsUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Where the next piece of a long text starts: at the last blank among its first 512
// bytes (not the first byte), else at the first blank after them or at the text's
// end. A run without a blank is never cut: the reader would read the line break of a
// cut back as a blank (it reads lines whole, however long).
std::size_t PieceLength(std::string_view bytes) {
    for (std::size_t i = kMaxPiece; i >= 1; --i) {
        if (bytes[i] == ' ') {
            return i;
        }
    }
    const std::size_t nextBlank = bytes.find(' ', kMaxPiece + 1);
    return nextBlank == std::string_view::npos ? bytes.size() : nextBlank;
}

// A line break (or a zero, which ends the reader's line) would cut the tag line.
bool BreaksTagLine(char16_t c) {
    return c == u'\r' || c == u'\n' || c == 0;
}

// Characters that would cut the tag line are written as blanks.
std::u16string EscapeTagValue(std::u16string_view value) {
    std::u16string out;
    out.reserve(value.size());
    for (const char16_t c : value) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else {
            out += BreaksTagLine(c) ? u' ' : c;
        }
    }
    return out;
}

// A closing brace would end the comment early and a line break would escape the
// wrapping; both are written as blanks. Blanks and tabs at the start of the text are
// left out, as the reader leaves them out (a ";" comment may start with "}").
std::u16string CommentText(std::u16string_view comment, bool leadingBlank) {
    std::u16string out = leadingBlank ? u" {" : u"{";
    out.reserve(comment.size() + 3);
    const std::size_t opened = out.size();
    for (const char16_t c : comment) {
        const char16_t written = (c == u'}' || c == u'\r' || c == u'\n' || c == 0) ? u' ' : c;
        if (out.size() > opened || (written != u' ' && written != u'\t')) {
            out += written;
        }
    }
    out += u'}';
    return out;
}

// The comment with its braces is cut at its own blanks only: the reader turns each
// line break inside a comment back into one blank, so the text comes back unchanged.
void WriteComment(LineWrapper& out, std::u16string_view comment, bool leadingBlank = true) {
    out.WriteLong(CommentText(comment, leadingBlank), false, BreakRule::Comment);
}

// The length of the " $n" that FormatSan puts after a move with an annotation.
std::size_t NagSuffixLength(std::uint8_t nag) {
    return 2 + std::to_string(nag).size();
}

// The longest prefix of `bytes` within `limit` bytes that ends on a character.
std::string_view CutUtf8(std::string_view bytes, std::size_t limit) {
    if (bytes.size() <= limit) {
        return bytes;
    }
    while (limit > 0 && IsUtf8Continuation(bytes[limit])) {
        --limit;
    }
    return bytes.substr(0, limit);
}

// The reader would read the rest of a longer tag line as move text, losing the game;
// such a line is written with its value (and, if need be, its name) cut to fit, never
// inside a character or an escape.
std::string TagLine(std::u16string_view name, std::u16string_view value) {
    // A name ends at its first blank when it is read back.
    std::u16string safeName;
    for (const char16_t c : name) {
        safeName += BreaksTagLine(c) || c == u' ' ? u'_' : c;
    }
    constexpr std::string_view kOpen = "[";
    constexpr std::string_view kMiddle = " \"";
    constexpr std::string_view kClose = "\"]";
    constexpr std::size_t kFixed = kOpen.size() + kMiddle.size() + kClose.size();
    const std::string nameBytes = EncodeUtf8(safeName);
    const std::string_view nameCut = CutUtf8(nameBytes, kMaxTagLine - kFixed);
    const std::string valueBytes = EncodeUtf8(EscapeTagValue(value));
    std::string_view valueCut = CutUtf8(valueBytes, kMaxTagLine - kFixed - nameCut.size());
    const std::size_t lastKept = valueCut.find_last_not_of('\\');
    const std::size_t trailingBackslashes =
        valueCut.size() - (lastKept == std::string_view::npos ? 0 : lastKept + 1);
    if (trailingBackslashes % 2 == 1) {
        valueCut.remove_suffix(1);  // the cut fell inside an escape
    }
    std::string line;
    line.reserve(kFixed + nameCut.size() + valueCut.size());
    line.append(kOpen).append(nameCut).append(kMiddle).append(valueCut).append(kClose);
    return line;
}

void WriteTag(ByteSink& sink, std::u16string_view name, std::u16string_view value) {
    sink.Write(TagLine(name, value) + "\r\n");
}

void WriteTag(ByteSink& sink, std::u16string_view name, const std::optional<std::u16string>& value,
              std::u16string_view unset) {
    WriteTag(sink, name, value ? std::u16string_view(*value) : unset);
}

std::u16string Number(unsigned value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

// The results the Result tag and the end of the move text can give; an unknown code
// writes neither.
bool HasResultTag(GameResult result) {
    return result >= GameResult::WhiteWins && result <= GameResult::Other;
}

void WriteTags(const GameDocument& document, ByteSink& sink) {
    WriteTag(sink, u"Event", document.event, u"?");
    WriteTag(sink, u"Site", document.site, u"?");
    WriteTag(sink, u"Date", document.date, u"????.??.??");
    WriteTag(sink, u"Round", document.round, u"?");
    WriteTag(sink, u"White", document.white, u"?");
    WriteTag(sink, u"Black", document.black, u"?");
    if (HasResultTag(document.result)) {
        WriteTag(sink, u"Result", document.ResultText(false));
    }
    if (document.root.setUp) {
        WriteTag(sink, u"SetUp", u"1");
        WriteTag(sink, u"FEN", WriteFen(document.root));
    }
    if (document.whiteEmail) {
        WriteTag(sink, u"WhiteEmail", *document.whiteEmail);
        WriteTag(sink, u"BlackEmail", document.blackEmail, u"?");
        WriteTag(sink, u"LastMoveDate", document.lastMoveDate, u"?");
        WriteTag(sink, u"LastMove", Number(document.lastMove));
        WriteTag(sink, u"Trait", document.trait == kWhite ? u"White" : u"Black");
    } else {
        // A game of another program may hold some of these tags without WhiteEmail:
        // each one read is written back.
        if (document.blackEmail) {
            WriteTag(sink, u"BlackEmail", *document.blackEmail);
        }
        if (document.lastMoveDate) {
            WriteTag(sink, u"LastMoveDate", *document.lastMoveDate);
        }
        if (document.lastMoveRead) {
            WriteTag(sink, u"LastMove", Number(document.lastMove));
        }
        if (document.traitRead) {
            WriteTag(sink, u"Trait", document.trait == kWhite ? u"White" : u"Black");
        }
    }
    for (const ExtraTag* tag = document.extraTags.get(); tag != nullptr; tag = tag->next.get()) {
        // An uninterpreted tag that would read back as an interpreted one ("[White"
        // without a value, "[SetUp  \"1\"]") comes from a malformed line; written
        // back it would replace the game's own tag or, as a lone SetUp or FEN, make
        // the game unreadable.
        const std::string line = TagLine(tag->name, tag->value);
        std::size_t valueStart = 0;
        if (ClassifyTagLine(std::string_view(line), valueStart) == TagName::Other) {
            sink.Write(line + "\r\n");
        }
    }
}

// Writes the moves in display order. Each open line (the main line, then one per
// open variation) keeps whether its next move carries its number, whether a move was
// written in it yet, and the full number of its last move; the stack grows with the
// nesting of variations only.
//
// A move keeps its number in 8 bits, so a game past move 255 would be numbered 0,
// 1, ... again, and "0." reads as the result "0-1", ending the game there. The full
// number is followed along each line instead: from one move to the next it grows by
// at most one.
class MoveTextWriter : public DisplayOrderVisitor {
public:
    MoveTextWriter(LineWrapper& out, bool numberFirst, unsigned firstNumber) : out_(out) {
        lines_.push_back({numberFirst, false, firstNumber});
    }

    void OnMove(const MoveNode& move) override {
        Line& line = lines_.back();
        line.number += (move.moveNumber - line.number) & 0xFFu;
        WriteNagsBefore(move, line);
        const bool black = MoverColour(move) == kBlack;
        std::u16string piece = line.started ? u" " : u"";
        if (line.numbered) {
            piece += Number(line.number) + (black ? u"... " : u". ");
        }
        SanBuffer san{};
        std::size_t length = FormatSan(move, san, false, true, NotationLanguage::English);
        // A move with several NAGs has them all in its list, in the order read.
        const std::vector<std::uint8_t>* nags =
            move.annotations && !move.annotations->nags.empty() ? &move.annotations->nags : nullptr;
        if (nags && move.nag != 0) {
            length -= NagSuffixLength(move.nag);
        }
        piece.append(san.data(), length);
        out_.Write(piece, true);
        line.started = true;
        line.numbered = FirstAlternative(move) != nullptr || black;
        if (nags) {
            for (const std::uint8_t nag : *nags) {
                out_.Write(u" $" + Number(nag), true);
            }
        }
        if (const Position* after = move.child.get()) {
            if (after->positionNag != 0 && !nags) {
                out_.Write(u" $" + Number(after->positionNag), true);
            }
            if (after->comment) {
                WriteComment(out_, *after->comment);
                line.numbered = true;
            }
        }
    }

    // The alternative replaces the last move of the line it branches from, so it
    // has that move's number.
    void OnVariationStart(const MoveNode& first) override {
        out_.Write(u" (", true);
        lines_.push_back({true, false, lines_.back().number});
        // A comment before the variation's first move stays before it.
        if (first.annotations && first.annotations->commentBefore) {
            WriteComment(out_, *first.annotations->commentBefore, false);
            lines_.back().started = true;
        }
    }

    void OnVariationEnd(const MoveNode& /*first*/) override {
        lines_.pop_back();
        out_.Write(u")", true);
    }

private:
    struct Line {
        bool numbered;
        bool started;
        unsigned number;
    };

    // NAGs written before the first move of the game or of a variation are written
    // back there, where they are read back the same; a blank separates them from a
    // comment before them, none from an opening bracket.
    void WriteNagsBefore(const MoveNode& move, Line& line) {
        const bool opensLine = IsAlternative(move) || move.parent->incomingMove == nullptr;
        if (!opensLine || !move.annotations) {
            return;
        }
        for (const std::uint8_t nag : move.annotations->nagsBefore) {
            const bool blank = line.started || (lines_.size() == 1 && out_.Column() > 0);
            out_.Write((blank ? u" $" : u"$") + Number(nag), true);
            line.started = true;
        }
    }

    LineWrapper& out_;
    std::vector<Line> lines_;
};

}  // namespace

std::optional<LineBreak> FindBreak(std::string_view bytes, long from, BreakRule rule) {
    if (from < 0 || bytes.empty()) {
        return std::nullopt;
    }
    std::size_t i = std::min(static_cast<std::size_t>(from), bytes.size() - 1);
    for (;; --i) {
        if (const auto found = BreakAt(bytes, i, rule)) {
            return found;
        }
        if (i == 0) {
            return std::nullopt;
        }
    }
}

void LineWrapper::Write(std::u16string_view text, bool fillLine, BreakRule rule) {
    WrapBytes(EncodeUtf8(text), fillLine, rule);
}

void LineWrapper::WriteLong(std::u16string_view text, bool fillLine, BreakRule rule) {
    std::string encoded = EncodeUtf8(text);
    std::string_view bytes = encoded;
    while (bytes.size() > kMaxPiece) {
        const std::size_t length = PieceLength(bytes);
        WrapBytes(bytes.substr(0, length), fillLine, rule);
        bytes.remove_prefix(length);
    }
    WrapBytes(bytes, fillLine, rule);
}

void LineWrapper::PutBytes(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    if (breakPending_) {
        breakPending_ = false;
        if (StartsNoLine(bytes)) {
            column_ = columnBeforeBreak_;
            if (pendingBlank_) {
                sink_.Write(" ");
                ++column_;
            }
        } else {
            sink_.Write("\r\n");
        }
    }
    sink_.Write(bytes);
    column_ += bytes.size();
}

// Ends the current line. On a line that holds nothing yet a break would only make an
// empty line, which the reader swallows together with the blank it stood for; the
// blank is written instead.
void LineWrapper::BreakLine(bool dropsBlank) {
    if (column_ == 0) {
        if (dropsBlank) {
            PutBytes(" ");
        }
        return;
    }
    columnBeforeBreak_ = column_;
    breakPending_ = true;
    pendingBlank_ = dropsBlank;
    column_ = 0;
}

// Breaks the line before `bytes`; a leading blank is the one the break replaces.
std::string_view LineWrapper::BreakBefore(std::string_view bytes) {
    const bool leadingBlank = !bytes.empty() && bytes.front() == ' ';
    BreakLine(leadingBlank);
    return leadingBlank ? bytes.substr(1) : bytes;
}

std::string_view LineWrapper::TakeBreak(std::string_view bytes, LineBreak at) {
    PutBytes(bytes.substr(0, at.at));
    BreakLine(at.dropsBlank);
    return bytes.substr(at.at + (at.dropsBlank ? 1 : 0));
}

// The wrapping of one piece. Each round writes part of the piece or ends a line, so
// the loop ends; the text after a break always continues with fillLine set.
void LineWrapper::WrapBytes(std::string_view bytes, bool fillLine, BreakRule rule) {
    for (bool pieceStart = true; !bytes.empty(); pieceStart = false) {
        if (column_ + bytes.size() < kLineWidth) {
            PutBytes(bytes);
            return;
        }
        if (!fillLine && bytes.size() < kLineWidth && CanBreakBefore(bytes, rule, pieceStart)) {
            PutBytes(BreakBefore(bytes));
            return;
        }
        const long limit = static_cast<long>(fillLine ? kLineWidth - 1 : kLineWidth - 2) -
                           static_cast<long>(column_);
        fillLine = true;
        if (const auto found = FindBreak(bytes, limit, rule)) {
            bytes = TakeBreak(bytes, *found);
        } else if (column_ != 0 && CanBreakBefore(bytes, rule, pieceStart)) {
            bytes = BreakBefore(bytes);
        } else if (const auto first = FindFirstBreak(bytes, rule)) {
            // Nothing fits: the line runs on to the first break.
            bytes = TakeBreak(bytes, *first);
        } else {
            PutBytes(bytes);
            return;
        }
    }
}

namespace {

// A stored number of 0 can only be a set-up position's 256 that did not fit.
unsigned StoredNumber(const MoveNode& move) {
    return move.moveNumber == 0 ? 256 : move.moveNumber;
}

// The number of the game's first move: a set-up root knows the whole full-move
// number, which the moves keep only modulo 256.
unsigned FirstMoveNumber(const Position& root, const MoveNode& first) {
    return root.setUp && root.fullMoveNumber > 0 ? root.fullMoveNumber : StoredNumber(first);
}

}  // namespace

void WritePgnGame(const GameDocument& document, ByteSink& sink) {
    WriteTags(document, sink);
    sink.Write("\r\n");
    // A line break still held back when the move text ends is dropped: the game's
    // closing line breaks follow.
    LineWrapper out(sink);
    if (document.root.comment) {
        WriteComment(out, *document.root.comment);
    }
    if (const MoveNode* first = document.root.firstMove.get()) {
        MoveTextWriter writer(out, true, FirstMoveNumber(document.root, *first));
        WalkDisplayOrder(first, writer);
    }
    if (HasResultTag(document.result)) {
        out.Write(u" " + std::u16string(document.ResultText(false)), true);
    }
    sink.Write("\r\n\r\n");
}

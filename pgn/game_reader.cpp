#include "pgn/game_reader.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/game_document.h"
#include "pgn/file_line.h"
#include "pgn/games_file.h"
#include "pgn/pgn_lexer.h"
#include "pgn/pgn_token.h"
#include "pgn/tag_line.h"
#include "platform/buffered_file.h"
#include "platform/debug_sink.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"

namespace {

ReadResult Fail(ReadCode code, const PgnToken& token, std::u16string_view note) {
    DebugOutput(note);
    return {code, std::u16string(token.View())};
}

// A NAG's number; a long run of digits saturates instead of wrapping.
unsigned NagNumber(std::u16string_view text) {
    unsigned number = 0;
    for (std::size_t i = 1; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        number = number * 10 + static_cast<unsigned>(text[i] - u'0');
        if (number > 1000000) {
            number = 1000000;
        }
    }
    return number;
}

MoveAnnotations& AnnotationsOf(MoveNode& move) {
    if (!move.annotations) {
        move.annotations = std::make_unique<MoveAnnotations>();
    }
    return *move.annotations;
}

// A NAG of 10 or less annotates the move that led to `current`, a larger one assesses
// the position. The first of each kind is what the screens show; when a move has more
// than one NAG, all of them are kept in the order read.
void StoreNag(Position& current, unsigned number) {
    constexpr unsigned kLastMoveNag = 10;
    const auto code = static_cast<std::uint8_t>(number & 0xFF);
    MoveNode* move = current.incomingMove;
    if (!move) {
        if (number > kLastMoveNag) {
            current.positionNag = code;
        }
        return;
    }
    const bool hasList = move->annotations && !move->annotations->nags.empty();
    if (hasList || move->nag != 0 || current.positionNag != 0) {
        std::vector<std::uint8_t>& nags = AnnotationsOf(*move).nags;
        if (nags.empty()) {
            nags.push_back(move->nag != 0 ? move->nag : current.positionNag);
        }
        nags.push_back(code);
    }
    if (number <= kLastMoveNag) {
        if (move->nag == 0) {
            move->nag = code;
        }
    } else if (current.positionNag == 0) {
        current.positionNag = code;
    }
}

// The reading of one line of moves: the main line or a variation.
struct LineState {
    Position* current;
    // A variation whose first move is still to come; comments met until then are
    // written before that move.
    bool pending;
    std::optional<std::u16string> commentBefore;
    // NAGs met before the line's first move (of a variation, or of the game), which
    // are written before that move.
    std::vector<std::uint8_t> nagsBefore;
};

// Hands what was written before a line's first move to that move.
void GiveBeforeAnnotations(LineState& line, MoveNode& first) {
    if (line.commentBefore) {
        AnnotationsOf(first).commentBefore = std::move(line.commentBefore);
        line.commentBefore.reset();
    }
    if (!line.nagsBefore.empty()) {
        AnnotationsOf(first).nagsBefore = std::move(line.nagsBefore);
        line.nagsBefore.clear();
    }
}

// What was written in a variation that has no moves stays with the move before it.
void KeepBeforeAnnotations(LineState& line) {
    if (line.commentBefore) {
        JoinComment(line.current->comment, *line.commentBefore);
    }
    for (const std::uint8_t nag : line.nagsBefore) {
        StoreNag(*line.current, nag);
    }
}

void AddCommentText(LineState& line, std::u16string_view text) {
    JoinComment(line.pending ? line.commentBefore : line.current->comment, text);
}

ReadResult ReadLine(PgnLexer& lexer, Position& position, bool startsVariation, int nesting) {
    LineState line{&position, startsVariation, std::nullopt, {}};
    PgnToken token;
    std::u16string text;
    while (true) {
        switch (lexer.NextSignificantToken(token)) {
            case TokenKind::CommentStart:
                switch (lexer.ReadCommentText(text)) {
                    case PgnLexer::CommentRead::Read:
                        AddCommentText(line, text);
                        break;
                    case PgnLexer::CommentRead::Unterminated:
                        break;
                    case PgnLexer::CommentRead::TooLong:
                        return {ReadCode::CommentTooLong};
                }
                break;
            case TokenKind::LineComment:
                lexer.ReadLineComment(text);
                AddCommentText(line, text);
                break;
            case TokenKind::VariationStart: {
                // Nesting is bounded so that a file cannot choose the stack depth.
                if (nesting >= kMaxVariationNesting) {
                    return Fail(ReadCode::BadVariation, token, u"Variations nested too deeply\n");
                }
                ReadResult result = ReadLine(lexer, *line.current, true, nesting + 1);
                if (result.code != ReadCode::Ok) {
                    return result;
                }
                break;
            }
            case TokenKind::GameEnd:
                // A result inside a variation closes nothing: the variation and the
                // game go on.
                if (nesting > 0 && lexer.AtResultMark()) {
                    break;
                }
                [[fallthrough]];
            case TokenKind::VariationEnd:
                if (line.pending) {
                    KeepBeforeAnnotations(line);
                }
                return {ReadCode::Ok};
            case TokenKind::MoveNumber:
            case TokenKind::Separator:
                break;
            case TokenKind::MoveText: {
                if (!line.pending) {
                    Position* child = ParseSan(*line.current, token.View());
                    if (!child) {
                        return Fail(ReadCode::IllegalMove, token, u"Token refus\u00E9 (2)\n");
                    }
                    line.current = child;
                    if (!line.nagsBefore.empty()) {
                        GiveBeforeAnnotations(line, *child->incomingMove);  // the game's first
                    }
                    break;
                }
                if (!line.current->incomingMove) {
                    DebugOutput(u"Pas normal d'\u00EAtre dans une variante\n");
                    return {ReadCode::BadVariation};
                }
                // The variation is a line of its own even when its first move is the
                // move it is an alternative to.
                Position* child =
                    ParseSanAsNewLine(*line.current->incomingMove->parent, token.View());
                if (!child) {
                    return Fail(ReadCode::IllegalLineStart, token, u"Coup refus\u00E9\n");
                }
                line.current = child;
                line.pending = false;
                GiveBeforeAnnotations(line, *child->incomingMove);
                break;
            }
            case TokenKind::UnknownToken:
                return Fail(ReadCode::UnknownToken, token, u"Token Erreur\n");
            case TokenKind::NagToken: {
                const unsigned number = NagNumber(token.View());
                // Before the first move of a variation or of the game, a NAG goes with
                // that move. At the game's start it still assesses the position too.
                if (line.pending || line.current->incomingMove == nullptr) {
                    line.nagsBefore.push_back(static_cast<std::uint8_t>(number & 0xFF));
                }
                if (!line.pending) {
                    StoreNag(*line.current, number);
                }
                break;
            }
        }
    }
}

// What the tag lines of a game left to check once they are all read.
struct SetUpState {
    bool setUpPending = false;          // [SetUp "1"] seen, its FEN not yet
    std::optional<std::u16string> fen;  // a FEN seen before its [SetUp "1"]
};

// Reads one tag line into the document. Returns ReadCode::Ok or a code.
ReadCode ReadTagLine(GameDocument& document, std::u16string_view line, SetUpState& setUp) {
    std::size_t valueStart = 0;
    const TagName name = ClassifyTagLine(line, valueStart);
    switch (name) {
        case TagName::SetUpOne:
            // Many programs write FEN before SetUp (the standard's alphabetical order
            // after the roster), so either order makes a set-up.
            if (setUp.fen) {
                const bool read = ReadFen(document.root, *setUp.fen);
                setUp.fen.reset();
                return read ? ReadCode::Ok : ReadCode::BadPosition;
            }
            setUp.setUpPending = true;
            return ReadCode::Ok;
        case TagName::Fen: {
            std::u16string value = ExtractTagValue(line.substr(valueStart));
            if (setUp.setUpPending) {
                setUp.setUpPending = false;
                return ReadFen(document.root, value) ? ReadCode::Ok : ReadCode::BadPosition;
            }
            if (setUp.fen) {
                return ReadCode::BadHeaders;
            }
            setUp.fen = std::move(value);
            return ReadCode::Ok;
        }
        case TagName::Other: {
            const std::size_t nameLength = TagNameLength(line);
            document.AppendExtraTag(std::u16string(line.substr(1, nameLength)),
                                    ExtractTagValue(line.substr(1 + nameLength)));
            return ReadCode::Ok;
        }
        default:
            StoreHeaderTag(document, name, ExtractTagValue(line.substr(valueStart)));
            return ReadCode::Ok;
    }
}

}  // namespace

ReadResult ReadMoveText(PgnLexer& lexer, Position& position, bool startsVariation) {
    return ReadLine(lexer, position, startsVariation, startsVariation ? 1 : 0);
}

ReadResult LoadGame(GameDocument& document, std::uint64_t offset, std::uint32_t saveMode) {
    BufferedFile file;
    if (!document.gamesFile || file.Open(document.gamesFile->path()) != 0) {
        return {ReadCode::CannotOpen};
    }
    return LoadGameFromFile(file, document, offset, saveMode);
}

ReadResult LoadGameFromFile(BufferedFile& file, GameDocument& document, std::uint64_t offset,
                            std::uint32_t saveMode) {
    document.saveMode = saveMode;
    document.fileOffset = offset;
    // A new document names its players "White" and "Black"; a game read from a file
    // has the names its tags give, and no others.
    document.white.reset();
    document.black.reset();
    file.Seek(offset);

    std::string bytes;
    std::string_view line;  // in the file's buffer or in `bytes`
    std::u16string text;
    std::string tagLine;  // the last tag line, kept past the reads that follow it
    bool lineCut = false;
    if (!ReadWholeLineBytes(file, bytes, line, lineCut)) {
        return {ReadCode::Unexpected};
    }
    // The header begins at the game's first tag line: lines before it are skipped,
    // and the first other line after it starts the move text. Escape lines ("%") are
    // no part of the game. Only tag lines are decoded here; the lexer decodes what it
    // needs of the move text.
    bool headerBegun = false;
    SetUpState setUp;
    while (true) {
        const std::string_view shown = LineUpToZero(line);
        if (!shown.empty() && shown[0] == '[') {
            headerBegun = true;
            tagLine.assign(shown);
            DecodeWholeLine(shown, text);
            const ReadCode result = ReadTagLine(document, text, setUp);
            if (result != ReadCode::Ok) {
                return {result};
            }
        } else if (headerBegun && (shown.empty() || shown[0] != '%')) {
            break;
        }
        if (!ReadWholeLineBytes(file, bytes, line, lineCut)) {
            if (!headerBegun) {
                return {ReadCode::Unexpected};
            }
            // Tags up to the end of the file: the last tag line is handed to the lexer
            // as the move text, where its "[" is an unknown token.
            line = tagLine;
            break;
        }
    }
    if (setUp.setUpPending || setUp.fen) {
        return {ReadCode::BadHeaders};
    }
    PgnLexer lexer(file, line, lineCut);
    ReadResult result = ReadMoveText(lexer, document.root, false);
    if (result.code == ReadCode::Ok) {
        document.fileEnd = lexer.EndOffset();
    }
    return result;
}

std::u16string ReadErrorText(const ReadResult& result) {
    switch (result.code) {
        case ReadCode::Ok:
            return u"No error";
        case ReadCode::CannotOpen:
            return u"Unable to open file";
        case ReadCode::BadPosition:
            return u"Invalid initial position";
        case ReadCode::BadHeaders:
            return u"Incorrect PGN headers";
        case ReadCode::UnknownToken:
            return u"Unknown token : " + result.failingToken;
        case ReadCode::BadVariation:
            return u"Error in alternate line";
        case ReadCode::IllegalMove:
            return u"Illegal move : " + result.failingToken;
        case ReadCode::IllegalLineStart:
            return u"Illegal move starting line";
        case ReadCode::CommentTooLong:
            return u"Comment too long";
        case ReadCode::Unexpected:
            break;
    }
    return u"Unexpected error";
}

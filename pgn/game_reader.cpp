#include "pgn/game_reader.h"

#include <optional>
#include <string>

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

// The token that made the last game fail, for ReadErrorText.
PgnToken& LastFailingToken() {
    static PgnToken token;
    return token;
}

int Fail(int code, const PgnToken& token, std::u16string_view note) {
    DebugOutput(note);
    LastFailingToken() = token;
    return code;
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

void StoreNag(Position& current, unsigned number) {
    constexpr unsigned kLastMoveNag = 10;
    if (number <= kLastMoveNag) {
        if (current.incomingMove) {
            current.incomingMove->nag = static_cast<std::uint8_t>(number);
        }
        return;
    }
    current.positionNag = static_cast<std::uint8_t>(number & 0xFF);
}

int ReadLine(PgnLexer& lexer, Position& position, bool startsVariation, int nesting) {
    Position* current = &position;
    bool pending = startsVariation;
    PgnToken token;
    while (true) {
        switch (lexer.NextToken(token)) {
            case TokenKind::CommentStart:
                if (!lexer.ReadComment(*current)) {
                    return kReadCommentTooLong;
                }
                break;
            case TokenKind::LineComment:
                lexer.SkipRestOfLine();
                break;
            case TokenKind::VariationStart: {
                // Nesting is bounded so that a file cannot choose the stack depth.
                if (nesting >= kMaxVariationNesting) {
                    return Fail(kReadBadVariation, token, u"Variations nested too deeply\n");
                }
                const int result = ReadLine(lexer, *current, true, nesting + 1);
                if (result != kReadOk) {
                    return result;
                }
                break;
            }
            case TokenKind::VariationEnd:
            case TokenKind::GameEnd:
                return kReadOk;
            case TokenKind::MoveNumber:
            case TokenKind::Separator:
                break;
            case TokenKind::MoveText:
                if (!pending) {
                    Position* child = ParseSan(*current, token.View());
                    if (!child) {
                        return Fail(kReadIllegalMove, token, u"Token refus\u00E9 (2)\n");
                    }
                    current = child;
                    break;
                }
                if (!current->incomingMove) {
                    DebugOutput(u"Pas normal d'\u00EAtre dans une variante\n");
                    return kReadBadVariation;
                }
                current = ParseSan(*current->incomingMove->parent, token.View());
                if (!current) {
                    return Fail(kReadIllegalLineStart, token, u"Coup refus\u00E9\n");
                }
                pending = false;
                break;
            case TokenKind::UnknownToken:
                return Fail(kReadUnknownToken, token, u"Token Erreur\n");
            case TokenKind::NagToken:
                StoreNag(*current, NagNumber(token.View()));
                break;
        }
    }
}

// What the tag lines of a game left to check once they are all read.
struct SetUpState {
    bool setUpPending = false;          // [SetUp "1"] seen, its FEN not yet
    std::optional<std::u16string> fen;  // a FEN seen before its [SetUp "1"]
};

// Reads one tag line into the document. Returns kReadOk or a code.
int ReadTagLine(GameDocument& document, std::u16string_view line, SetUpState& setUp) {
    std::size_t valueStart = 0;
    const TagName name = ClassifyTagLine(line, valueStart);
    switch (name) {
        case TagName::SetUpOne:
            // Many programs write FEN before SetUp (the standard's alphabetical order
            // after the roster), so either order makes a set-up.
            if (setUp.fen) {
                const bool read = ReadFen(document.root, *setUp.fen);
                setUp.fen.reset();
                return read ? kReadOk : kReadBadPosition;
            }
            setUp.setUpPending = true;
            return kReadOk;
        case TagName::Fen: {
            std::u16string value = ExtractTagValue(line.substr(valueStart));
            if (setUp.setUpPending) {
                setUp.setUpPending = false;
                return ReadFen(document.root, value) ? kReadOk : kReadBadPosition;
            }
            if (setUp.fen) {
                return kReadBadHeaders;
            }
            setUp.fen = std::move(value);
            return kReadOk;
        }
        case TagName::Other: {
            const std::u16string_view rest = line.substr(1);
            const std::size_t blank = rest.find(u' ');
            const std::u16string_view tagName = rest.substr(0, blank);
            const std::u16string_view afterName =
                blank == std::u16string_view::npos ? std::u16string_view{} : rest.substr(blank);
            document.AppendExtraTag(std::u16string(tagName), ExtractTagValue(afterName));
            return kReadOk;
        }
        default:
            StoreHeaderTag(document, name, ExtractTagValue(line.substr(valueStart)));
            return kReadOk;
    }
}

}  // namespace

int ReadMoveText(PgnLexer& lexer, Position& position, bool startsVariation) {
    return ReadLine(lexer, position, startsVariation, startsVariation ? 1 : 0);
}

int LoadGame(GameDocument& document, std::uint64_t offset, std::uint32_t saveMode) {
    BufferedFile file;
    if (!document.gamesFile || file.Open(document.gamesFile->path()) != 0) {
        return kReadCannotOpen;
    }
    return LoadGameFromFile(file, document, offset, saveMode);
}

int LoadGameFromFile(BufferedFile& file, GameDocument& document, std::uint64_t offset,
                     std::uint32_t saveMode) {
    document.saveMode = saveMode;
    document.fileOffset = offset;
    file.Seek(offset);

    LineText line{};
    std::size_t length = 0;
    std::optional<std::string_view> bytes = ReadFileLineView(file);
    if (!bytes) {
        return kReadUnexpected;
    }
    // The header begins at the game's first tag line: lines before it are skipped,
    // and the first other line after it starts the move text.
    bool headerBegun = false;
    SetUpState setUp;
    while (true) {
        length = ConvertLine(*bytes, line);
        const std::u16string_view text(line.data(), length);
        if (!text.empty() && text[0] == u'[') {
            headerBegun = true;
            const int result = ReadTagLine(document, text, setUp);
            if (result != kReadOk) {
                return result;
            }
        } else if (headerBegun) {
            break;
        }
        bytes = ReadFileLineView(file);
        if (!bytes) {
            if (!headerBegun) {
                return kReadUnexpected;
            }
            // Tags up to the end of the file: the last tag line is handed to the lexer
            // as the move text, where its "[" is an unknown token.
            break;
        }
    }
    if (setUp.setUpPending || setUp.fen) {
        return kReadBadHeaders;
    }
    PgnLexer lexer(file, std::u16string_view(line.data(), length));
    const int result = ReadMoveText(lexer, document.root, false);
    if (result != kReadOk) {
        return result;
    }
    document.fileEnd = lexer.EndOffset();
    return kReadOk;
}

std::u16string ReadErrorText(int code) {
    switch (code) {
        case 0:
        case 1:
            return u"No error";
        case kReadCannotOpen:
            return u"Unable to open file";
        case kReadBadPosition:
            return u"Invalid initial position";
        case kReadBadHeaders:
            return u"Incorrect PGN headers";
        case kReadUnknownToken:
            return u"Unknown token : " + std::u16string(LastFailingToken().View());
        case kReadBadVariation:
            return u"Error in alternate line";
        case kReadIllegalMove:
            return u"Illegal move : " + std::u16string(LastFailingToken().View());
        case kReadIllegalLineStart:
            return u"Illegal move starting line";
        case kReadCommentTooLong:
            return u"Comment too long";
        default:
            return u"Unexpected error";
    }
}

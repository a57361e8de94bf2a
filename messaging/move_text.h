#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rules/notation.h"

class MoveNode;
class Position;

// The move text of a message: the lines of a received body, the move read from one
// of them, and the move as it is sent.

// Splits a received message body into the lines the user picks the move from. Each
// CR ends a line; white space (CR, LF, TAB, blank) around every line is dropped and
// lines left empty are not kept, so no line is empty or starts or ends with white
// space. A LF without CR does not end a line. An empty body gives no line.
std::vector<std::u16string> SplitBodyIntoLines(std::u16string_view body);

// Reads the opponent's move from one line of a received message, as a move from
// `exchange` (the position after the last exchanged move). With French the piece
// letters are first turned into English ones; the move starts at the first of the
// letters "abcdefghBKNOQR". Returns the position after the move: an existing move's
// child, or the child of a move that is added to the tree. Null, with the tree
// unchanged, when no legal move is found there.
Position* ParseAnswerLine(Position& exchange, std::u16string_view line, NotationLanguage language);

// The text of `move` as sent to the opponent: its SAN in `language` with its number
// ("12. Nf3", "12... Nf6"), the check sign included, cut before the annotation (a
// move with an annotation keeps the blank that stood before it). At most 31
// characters.
std::u16string FormatMoveToSend(const MoveNode& move, NotationLanguage language);

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class GameHeaders;

// The tag lines that the games index and the game reader recognise, by the beginning
// of the line (case matters; the blank after the name is part of the test).
enum class TagName {
    White,
    Black,
    Result,
    Event,
    Round,
    Site,
    Date,
    WhiteEmail,
    BlackEmail,
    LastMoveDate,
    LastMove,
    Trait,
    SetUpOne,  // the whole beginning [SetUp "1"]
    Fen,
    Other,    // any other line that begins with "["
    NotATag,  // a line that does not begin with "["
};

// Which tag `line` holds; `valueStart` receives the index just past the recognised
// beginning (1, just past the "[", for Other). Works on bytes and on UTF-16 alike,
// since every beginning is ASCII.
TagName ClassifyTagLine(std::string_view line, std::size_t& valueStart);
TagName ClassifyTagLine(std::u16string_view line, std::size_t& valueStart);

// The value of a tag: the text after the first double quote up to the next one or the
// end of the line; empty when there is no double quote. Inside it \" stands for a
// double quote and \\ for a backslash; any other backslash is kept.
std::u16string ExtractTagValue(std::u16string_view text);

// Stores the value of one of the twelve interpreted tags (White to Trait) in
// `headers`, taking over the text; other names are ignored.
void StoreHeaderTag(GameHeaders& headers, TagName name, std::u16string value);

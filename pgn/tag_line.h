#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class GameHeaders;

// The tag lines that the games index and the game reader recognise, by the name after
// "[" (case matters), which ends at a blank, a tab or the value's opening quote.
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
    SetUpOne,  // SetUp with the value "1"
    Fen,
    Other,    // any other line that begins with "["
    NotATag,  // a line that does not begin with "["
};

// Which tag `line` holds; `valueStart` receives the index just past the name (1, just
// past the "[", for Other). Works on bytes and on UTF-16 alike,
// since every beginning is ASCII.
[[nodiscard]] TagName ClassifyTagLine(std::string_view line, std::size_t& valueStart);
[[nodiscard]] TagName ClassifyTagLine(std::u16string_view line, std::size_t& valueStart);

// The value of a tag: the text after the first double quote up to the next one or the
// end of the line; empty when there is no double quote. Inside it \" stands for a
// double quote and \\ for a backslash; any other backslash is kept.
[[nodiscard]] std::u16string ExtractTagValue(std::u16string_view text);

// The length of the name of the tag line `line` (after its "["): up to a blank, a tab,
// a double quote or the end of the line.
[[nodiscard]] std::size_t TagNameLength(std::u16string_view line);

// Stores the value of one of the twelve interpreted tags (White to Trait) in
// `headers`, taking over the text; other names are ignored.
void StoreHeaderTag(GameHeaders& headers, TagName name, std::u16string value);

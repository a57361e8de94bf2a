#pragma once

#include <string>
#include <string_view>

// The code page of the games file and of other 8-bit text: a line that is valid
// UTF-8 is read as UTF-8, any other line as Windows-1252 (one byte, one character;
// the five bytes that code page leaves undefined map to U+0081..U+009D), so that no
// character of an old Latin-1 file is lost. Text is written as UTF-8.

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing
// above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Decodes one line by the rule above.
std::u16string DecodeLine(std::string_view bytes);

// Decodes bytes known to be UTF-8; invalid sequences become U+FFFD.
std::u16string DecodeUtf8Line(std::string_view bytes);

// Decodes bytes as Windows-1252.
std::u16string DecodeWindows1252(std::string_view bytes);

// Encodes UTF-16 text as UTF-8; a lone surrogate becomes U+FFFD.
std::string EncodeUtf8(std::u16string_view text);

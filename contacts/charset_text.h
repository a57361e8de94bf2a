#pragma once

#include <optional>
#include <string>
#include <string_view>

// Decodes `bytes` written in `charset` (any name the system's character-set conversion
// knows: ISO-8859-2, ISO-8859-15, KOI8-R, Shift_JIS, windows-1252, UTF-8...) through
// GLib's conversion, the one the mail library is built on. std::nullopt when the
// charset is unknown or the bytes are not valid text in it.
std::optional<std::u16string> DecodeCharsetText(std::string_view bytes, std::string_view charset);

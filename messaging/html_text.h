#pragma once

#include <string>
#include <string_view>

// The text a reader sees of an HTML body: tags are removed (a line break, a paragraph,
// a list item, a table row and the other blocks end a line), the contents of title,
// script and style and of comments are dropped, runs of white space become one blank
// except inside pre, and character references are decoded (numeric ones, the XML
// five, the Latin-1 names and the common punctuation names; an unknown one is kept as
// written). Lines end with LF, and outside pre no line is left empty. Never fails;
// linear in the size of `html`.
std::u16string HtmlToText(std::u16string_view html);

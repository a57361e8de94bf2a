#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a received message body into the lines the user picks the move from. Each
// CR ends a line; white space (CR, LF, TAB, blank) around every line is dropped and
// lines left empty are not kept, so no line is empty or starts or ends with white
// space. A LF without CR does not end a line. An empty body gives no line.
std::vector<std::u16string> SplitBodyIntoLines(std::u16string_view body);

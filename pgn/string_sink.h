#pragma once

#include <string>
#include <string_view>

#include "pgn/byte_sink.h"

// A sink that gathers everything written into one string, for the command-line tool
// and the tests. Never fails.
class StringSink : public ByteSink {
public:
    void Write(std::string_view bytes) override { text.append(bytes); }

    std::string text;
};

#pragma once

#include <string_view>

// Where the PGN writer puts its bytes: a file through a buffer, or a string in memory.
// Write never fails loudly; a sink that can fail remembers it for its owner to check.
class ByteSink {
public:
    virtual ~ByteSink() = default;

    // Appends `bytes`; the sink copies them.
    virtual void Write(std::string_view bytes) = 0;
};

#include "platform/debug_sink.h"

#include <cstdio>
#include <string>

#include "platform/text_codec.h"

namespace {
bool sinkEnabled = false;
}  // namespace

void SetDebugSinkEnabled(bool enabled) {
    sinkEnabled = enabled;
}

bool IsDebugSinkEnabled() {
    return sinkEnabled;
}

void DebugOutput(std::u16string_view text) {
    if (!sinkEnabled) {
        return;
    }
    const std::string bytes = EncodeUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
}

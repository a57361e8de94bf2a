// Feeds arbitrary text to ReadFen and writes back what it accepted.
#include <cstddef>
#include <cstdint>
#include <string>

#include "rules/fen.h"
#include "rules/position.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text(data, data + size);
    Position position;
    if (ReadFen(position, text)) {
        const std::u16string written = WriteFen(position);
        Position again;
        if (!ReadFen(again, written) || WriteFen(again) != written) {
            __builtin_trap();
        }
    }
    return 0;
}

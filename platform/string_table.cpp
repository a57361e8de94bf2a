#include "platform/string_table.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Sorted by id.
constexpr std::pair<int, std::u16string_view> kStrings[] = {
    {kIdsDisplayTitle, u"Korvani"},
    {kIdsUnableToOpenFile, u"Unable to open file"},
};

}  // namespace

std::optional<std::u16string_view> LoadString(int id) {
    const auto* found =
        std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                         [](const auto& entry, int key) { return entry.first < key; });
    if (found == std::end(kStrings) || found->first != id) {
        return std::nullopt;
    }
    return found->second;
}

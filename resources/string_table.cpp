#include "resources/string_table.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Sorted by id.
constexpr std::pair<int, std::u16string_view> kStrings[] = {
    {kIdsDisplayTitle, u"Korvani"},
    {kIdsMenu, u"Menu"},
    {kIdsUnableToOpenFile, u"Unable to open file"},
    {kIdsCancelChoice, u"Cancel"},
    {kIdsDone, u"Done"},
    {kIdsCancel, u"Cancel"},
    {kIdsSend, u"Send"},
    {kIdsOpen, u"Open"},
    {kIdsGamesMenu, u"Menu"},
    {kIdsSaveClose, u"Save+Close"},
    {kIdsNext, u"Next"},
    {kIdsOk, u"OK"},
};

static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const auto& a, const auto& b) { return a.first < b.first; }),
              "the string table is searched by id and must stay sorted");

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

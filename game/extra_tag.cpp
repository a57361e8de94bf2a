#include "game/extra_tag.h"

ExtraTag::ExtraTag(std::u16string tagName, std::u16string tagValue)
    : value(std::move(tagValue)), name(std::move(tagName)) {}

ExtraTag::~ExtraTag() {
    // Unchain the records one at a time so that a long list never recurses.
    std::unique_ptr<ExtraTag> tag = std::move(next);
    while (tag) {
        tag = std::move(tag->next);
    }
}

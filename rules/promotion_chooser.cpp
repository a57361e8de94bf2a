#include "rules/promotion_chooser.h"

namespace {
PromotionChooser registeredChooser = nullptr;
}  // namespace

void SetPromotionChooser(PromotionChooser chooser) {
    registeredChooser = chooser;
}

PromotionChooser GetPromotionChooser() {
    return registeredChooser;
}

#include "messaging/move_to_send.h"

std::u16string FormatMoveToSend(const MoveNode& move, NotationLanguage language) {
    std::u16string text = FormatSanText(move, true, true, language);
    // With nagAsNumber an annotation is written " $n"; the opponent gets the move only.
    const std::size_t dollar = text.find(u'$');
    if (dollar != std::u16string::npos) {
        text.resize(dollar);
    }
    return text;
}

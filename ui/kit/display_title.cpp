#include "ui/kit/display_title.h"

#include <string>

#include "resources/string_table.h"

namespace {

constexpr qsizetype kMaxTitleLength = 64;

QString LoadDisplayTitle() {
    const auto text = LoadString(kIdsDisplayTitle);
    if (!text) {
        return QStringLiteral("Korvani");
    }
    return QString::fromStdU16String(std::u16string(*text)).left(kMaxTitleLength);
}

}  // namespace

const QString& DisplayTitle() {
    static const QString title = LoadDisplayTitle();
    return title;
}

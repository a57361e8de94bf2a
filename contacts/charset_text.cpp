#include "contacts/charset_text.h"

#include <glib.h>

#include <memory>

#include "platform/text_codec.h"

namespace {

struct GFreeText {
    void operator()(gchar* text) const { g_free(text); }
};

}  // namespace

std::optional<std::u16string> DecodeCharsetText(std::string_view bytes, std::string_view charset) {
    const std::string from(charset);
    gsize written = 0;
    GError* error = nullptr;
    const std::unique_ptr<gchar, GFreeText> utf8(
        g_convert(bytes.data(), static_cast<gssize>(bytes.size()), "UTF-8", from.c_str(), nullptr,
                  &written, &error));
    if (utf8 == nullptr) {
        g_clear_error(&error);
        return std::nullopt;
    }
    return DecodeUtf8Line(std::string_view(utf8.get(), written));
}

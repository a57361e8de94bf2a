#include "platform/error_report.h"

#include <cstdio>
#include <cstring>
#include <system_error>

#include "platform/debug_sink.h"
#include "platform/text_codec.h"
#include "resources/string_table.h"

namespace {

ErrorBoxHandler& Handler() {
    static ErrorBoxHandler handler;
    return handler;
}

}  // namespace

ErrorBoxHandler SetErrorBoxHandler(ErrorBoxHandler handler) {
    ErrorBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

void ShowErrorBox(const ErrorBox& box) {
    if (Handler()) {
        Handler()(box);
        return;
    }
    DebugOutput(box.caption + u": " + box.text + u"\n");
}

std::u16string SystemErrorText(int code) {
    std::string message = std::system_category().message(code);
    if (message.empty() || message.starts_with("Unknown error")) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "Err 0x%08X", static_cast<unsigned>(code));
        message = buffer;
    }
    std::u16string text = DecodeUtf8Line(message);
    if (text.size() > 512) {
        text.resize(512);
    }
    return text;
}

void ShowSystemError(int code, std::u16string_view caption) {
    ShowErrorBox({SystemErrorText(code), std::u16string(caption), ErrorBox::Icon::Error});
}

void ShowResourceError(int code, int stringId) {
    const std::optional<std::u16string_view> caption = LoadString(stringId);
    ShowSystemError(code, caption ? *caption : u"Message not available");
}

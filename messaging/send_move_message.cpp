#include "messaging/send_move_message.h"

#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <optional>

#include "messaging/maildir.h"
#include "messaging/message_store.h"
#include "messaging/outgoing_mail.h"
#include "messaging/send_command.h"
#include "platform/debug_sink.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"
#include "platform/text_cut.h"

namespace {

constexpr int kFail = static_cast<int>(0x80004005u);

// The recipients of the mail: the non-empty pieces of the To text. False when there is
// none, or a piece holds a control character that could break the header.
bool MailRecipients(std::u16string_view to, std::vector<std::u16string>& recipients) {
    for (std::u16string& piece : SplitAddressText(to)) {
        for (char16_t c : piece) {
            if (c < 0x20 || c == 0x7F) {
                return false;
            }
        }
        if (!piece.empty()) {
            recipients.push_back(std::move(piece));
        }
    }
    return !recipients.empty();
}

struct Failure {
    int code;
    std::u16string_view caption;
};

// Writes the message into the store's Drafts and submits it; gives the failed step.
std::optional<Failure> SendInStore(const std::filesystem::path& root, const std::string& bytes,
                                   const MessageStore& session) {
    if (const int error = Maildir(root).Check(); error != 0) {
        return Failure{error, u"Unable to open Message Store"};
    }
    const Maildir drafts(root / ".Drafts");
    if (const int error = drafts.Create(); error != 0) {
        return Failure{error, u"Unable to get Draft folder ID"};
    }
    if (::access((drafts.Folder() / "tmp").c_str(), W_OK) != 0) {
        return Failure{errno, u"Unable to open Folder ID"};
    }
    std::filesystem::path temporary;
    if (const int error = drafts.CreateTemporary(temporary); error != 0) {
        return Failure{error, u"Unable to create Message"};
    }
    std::filesystem::path draft;
    if (const int error = WriteWholeFile(temporary, bytes); error != 0) {
        ::unlink(temporary.c_str());
        return Failure{error, u"SetMessageProps/Message/OpenProperty"};
    }
    if (const int error = drafts.MoveIn(temporary, "D", draft); error != 0) {
        ::unlink(temporary.c_str());
        return Failure{error, u"Unable to create Message"};
    }
    const Maildir outbox(root / ".Outbox");
    std::filesystem::path queued;
    int error = outbox.Create();
    if (error == 0) {
        error = outbox.MoveIn(draft, "", queued);
    }
    if (error == 0 && !session.SendCommand().empty()) {
        error = RunSendCommand(session.SendCommand(), bytes, session.SendTimeout());
        if (error == 0) {
            // The message has gone; failing to file it only leaves it in the outbox.
            const Maildir sent(root / ".Sent");
            std::filesystem::path filed;
            if (sent.Create() != 0 || sent.MoveIn(queued, "S", filed) != 0) {
                DebugOutput(u"Sent message left in the outbox\n");
            }
        }
    }
    if (error != 0) {
        return Failure{error, u"Unable to send message"};
    }
    return std::nullopt;
}

}  // namespace

bool SendMoveMessage(const MessageStore& session, const MoveMessage& message,
                     std::u16string_view senderName, std::u16string_view senderAddress) {
    if (!session.IsOpen()) {
        ShowSystemError(kFail, u"GetMsgStoresTable ");
        return false;
    }
    OutgoingMail mail;
    if (!MailRecipients(CutText(message.to, MoveMessage::kMaxTo), mail.to)) {
        ShowSystemError(EINVAL, u"CEMAPI_SetMessageRecipients");
        return false;
    }
    mail.fromName = senderName;
    mail.fromAddress = senderAddress;
    mail.subject = CutText(message.subject, MoveMessage::kMaxSubject);
    mail.body = MoveMessageBody(CutText(message.moveText, MoveMessage::kMaxMoveText),
                                CutText(message.additionalText, MoveMessage::kMaxAdditionalText));
    mail.date = std::time(nullptr);
    // One message, the same Message-ID in every store.
    const std::string bytes = ComposeMail(mail);
    for (const std::filesystem::path& root : session.Stores()) {
        if (const auto failure = SendInStore(root, bytes, session)) {
            ShowSystemError(failure->code, failure->caption);
            return false;
        }
    }
    return true;
}

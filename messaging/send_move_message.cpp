#include "messaging/send_move_message.h"

#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <optional>
#include <vector>

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
constexpr std::u16string_view kSendFailedCaption = u"Unable to send message";

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

// Writes the message into the store's Drafts and submits it to the outbox, giving the
// queued file in `queued`; gives the failed step.
std::optional<Failure> SubmitInStore(const std::filesystem::path& root, const std::string& bytes,
                                     std::filesystem::path& queued) {
    if (const int error = Maildir(root).Check(); error != 0) {
        return Failure{error, u"Unable to open Message Store"};
    }
    const Maildir drafts(root / ".Drafts");
    if (const int error = drafts.Create(Maildir::Kind::Subfolder); error != 0) {
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
    int error = outbox.Create(Maildir::Kind::Subfolder);
    if (error == 0) {
        error = outbox.MoveIn(draft, "", queued);
    }
    if (error != 0) {
        return Failure{error, u"Unable to send message"};
    }
    return std::nullopt;
}

// Files a message the send command took in the store's Sent. The message has gone:
// failing to file it only leaves it in the outbox.
void FileAsSent(const std::filesystem::path& root, const std::filesystem::path& queued) {
    const Maildir sent(root / ".Sent");
    std::filesystem::path filed;
    if (sent.Create(Maildir::Kind::Subfolder) != 0 || sent.MoveIn(queued, "S", filed) != 0) {
        DebugOutput(u"Sent message left in the outbox\n");
    }
}

bool IsBlank(std::u16string_view text) {
    return text.find_first_not_of(u" \t") == std::u16string_view::npos;
}

}  // namespace

SendOutcome SendMoveMessage(const MessageStore& session, const MoveMessage& message,
                            std::u16string_view senderName, std::u16string_view senderAddress) {
    if (!session.IsOpen()) {
        ShowSystemError(kFail, u"GetMsgStoresTable ");
        return SendOutcome::Failed;
    }
    if (IsBlank(senderAddress)) {
        ShowErrorBox({u"Your e-mail address is not set: a message without it cannot be sent.",
                      std::u16string(kSendFailedCaption), ErrorBox::Icon::Error});
        return SendOutcome::Failed;
    }
    OutgoingMail mail;
    if (!MailRecipients(CutText(message.to, MoveMessage::kMaxTo), mail.to)) {
        ShowSystemError(EINVAL, u"CEMAPI_SetMessageRecipients");
        return SendOutcome::Failed;
    }
    mail.fromName = senderName;
    mail.fromAddress = senderAddress;
    mail.subject = CutText(message.subject, MoveMessage::kMaxSubject);
    mail.body = MoveMessageBody(CutText(message.moveText, MoveMessage::kMaxMoveText),
                                CutText(message.additionalText, MoveMessage::kMaxAdditionalText));
    mail.date = std::time(nullptr);
    // One message, the same Message-ID in every store.
    const std::string bytes = ComposeMail(mail);
    std::vector<std::filesystem::path> queued(session.Stores().size());
    for (std::size_t i = 0; i < queued.size(); ++i) {
        if (const auto failure = SubmitInStore(session.Stores()[i], bytes, queued[i])) {
            ShowSystemError(failure->code, failure->caption);
            return SendOutcome::Failed;
        }
    }
    if (session.SendCommand().empty()) {
        return SendOutcome::Queued;
    }
    // The stores hold copies of one message: the opponent gets it once.
    const SendCommandResult run =
        RunSendCommand(session.SendCommand(), bytes, session.SendTimeout());
    if (run.error != 0) {
        ShowErrorBox({DescribeSendCommandFailure(run, session.SendTimeout()) +
                          u"\nThe message stays in the Outbox.",
                      std::u16string(kSendFailedCaption), ErrorBox::Icon::Error});
        return SendOutcome::Failed;
    }
    for (std::size_t i = 0; i < queued.size(); ++i) {
        FileAsSent(session.Stores()[i], queued[i]);
    }
    return SendOutcome::Sent;
}

std::vector<std::u16string> SplitAddressText(std::u16string_view text) {
    std::vector<std::u16string> pieces;
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && text[i] == u' ') {
            ++i;
        }
        if (i >= text.size()) {
            break;
        }
        const std::size_t end = text.find_first_of(u" ;", i);
        if (end == std::u16string_view::npos) {
            pieces.emplace_back(text.substr(i));
            break;
        }
        pieces.emplace_back(text.substr(i, end - i));
        i = end + 1;
    }
    return pieces;
}

std::u16string MoveMessageBody(std::u16string_view moveText, std::u16string_view additionalText) {
    std::u16string body(moveText);
    body += u"\r\n\r\n";
    body += additionalText;
    return body;
}

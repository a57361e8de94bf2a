#pragma once

#include <ctime>
#include <string>
#include <vector>

// A text message to be written as an RFC 5322 message: the sender's name and address,
// the recipients' addresses, the subject and the body (UTF-16, lines separated by LF).
struct OutgoingMail {
    std::u16string fromName;
    std::u16string fromAddress;
    std::vector<std::u16string> to;
    std::u16string subject;
    std::u16string body;
    std::time_t date = 0;
};

// The message as bytes with LF line ends (the Unix convention of a Maildir and of a
// sendmail pipe): From, To, Subject, Date, Message-ID, MIME-Version and a
// quoted-printable text/plain body in UTF-8. Non-ASCII names and subjects are
// encoded as RFC 2047 words. Header texts lose their control characters, so that a
// text can never start a header of its own. Never fails.
std::string ComposeMail(const OutgoingMail& mail);

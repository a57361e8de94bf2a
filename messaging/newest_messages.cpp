#include "messaging/newest_messages.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>

#include "messaging/file_handle.h"
#include "messaging/mail_limits.h"
#include "messaging/maildir.h"
#include "messaging/parsed_mail.h"

namespace {

// What one read asks for first: more than the header of almost any message.
constexpr std::size_t kFirstHeaderRead = std::size_t{4} << 10;

std::u16string AddressKey(std::u16string_view address) {
    while (!address.empty() && (address.front() == u' ' || address.front() == u'\t')) {
        address.remove_prefix(1);
    }
    while (!address.empty() && (address.back() == u' ' || address.back() == u'\t')) {
        address.remove_suffix(1);
    }
    std::u16string key(address);
    for (char16_t& c : key) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return key;
}

// True when `a` comes after `b` in the order the Inbox lists its messages: by delivery
// time, then by file name.
bool DeliveredLater(const NewestMessages::Message& a, const NewestMessages::Message& b) {
    if (a.delivered != b.delivered) {
        return a.delivered > b.delivered;
    }
    if (a.deliveredNanos != b.deliveredNanos) {
        return a.deliveredNanos > b.deliveredNanos;
    }
    return a.file.filename() > b.file.filename();
}

// Where the header section of `bytes` ends (just after the line end before its
// first empty line), looking from `from`; npos while no empty line is seen.
std::size_t HeaderEnd(std::string_view bytes, std::size_t from) {
    if (bytes.starts_with("\n") || bytes.starts_with("\r\n")) {
        return 0;
    }
    for (std::size_t i = bytes.find('\n', from); i != std::string_view::npos;
         i = bytes.find('\n', i + 1)) {
        const std::string_view rest = bytes.substr(i + 1);
        if (rest.starts_with("\n") || rest.starts_with("\r\n")) {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// Reads the header section of the message `name` of the open folder `folder` into
// `header` (its bytes up to the first empty line, and never more than the header
// section MailLimits allows) and its modification time into `info`. False when the
// file cannot be read.
bool ReadHeaderSection(int folder, const char* name, std::string& header, struct stat& info) {
    // Never through a link, and never waiting on a pipe someone put in the folder.
    const FileHandle fd(::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    header.resize(kFirstHeaderRead);
    std::size_t size = 0;
    while (true) {
        if (size == header.size()) {
            if (size >= MailLimits::kMaxHeaderSectionBytes) {
                break;
            }
            header.resize(std::min(size * 2, MailLimits::kMaxHeaderSectionBytes));
        }
        const ssize_t got = ::read(fd.get(), header.data() + size, header.size() - size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        // An empty line may straddle two reads: look again from the line end before.
        const std::size_t from = size < 2 ? 0 : size - 2;
        size += static_cast<std::size_t>(got);
        if (const std::size_t end = HeaderEnd(std::string_view(header).substr(0, size), from);
            end != std::string_view::npos) {
            size = end;
            break;
        }
    }
    header.resize(size);
    return true;
}

// Reads the senders of one store's Inbox into `newest`; false when `progress` asked to
// stop.
bool ReadStoreSenders(const std::filesystem::path& root, NewestMessages& newest,
                      const ReadProgress& progress, std::size_t& read) {
    const Maildir inbox(root);
    std::string header;
    bool goOn = true;
    // Each file is opened once, for its time and its header together; the order of
    // the folder does not matter to the newest message of a sender.
    inbox.VisitNames(
        [&](int subfolderFd, const std::filesystem::path& subfolder, const char* name) {
            struct stat info {};
            if (!goOn) {
                return;
            }
            if (ReadHeaderSection(subfolderFd, name, header, info)) {
                if (const std::optional<std::u16string> sender = ParseSenderAddress(header)) {
                    newest.Offer(*sender,
                                 {subfolder / name, info.st_mtim.tv_sec, info.st_mtim.tv_nsec});
                }
            }
            goOn = !progress || progress(++read);
        });
    return goOn;
}

// The number written by the digits of `text`, or -1 when it holds anything else.
int Number(std::u16string_view text) {
    if (text.empty() || text.size() > 4) {
        return -1;
    }
    int value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return -1;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

}  // namespace

void NewestMessages::Offer(std::u16string_view sender, Message message) {
    auto [kept, added] = bySender_.try_emplace(AddressKey(sender), message);
    if (!added && DeliveredLater(message, kept->second)) {
        kept->second = std::move(message);
    }
}

const NewestMessages::Message* NewestMessages::From(std::u16string_view address) const {
    const auto found = bySender_.find(AddressKey(address));
    return found == bySender_.end() ? nullptr : &found->second;
}

const NewestMessages::Message* NewestMessages::NewerThan(std::u16string_view address,
                                                         std::int64_t day) const {
    const Message* message = From(address);
    const std::int64_t deliveredDay =
        message == nullptr ? 0
                           : std::chrono::floor<std::chrono::days>(
                                 std::chrono::sys_seconds(std::chrono::seconds(message->delivered)))
                                 .time_since_epoch()
                                 .count();
    return message != nullptr && deliveredDay > day ? message : nullptr;
}

NewestMessages ReadNewestMessages(const std::vector<std::filesystem::path>& stores,
                                  const ReadProgress& progress) {
    NewestMessages newest;
    std::size_t read = 0;
    for (const std::filesystem::path& root : stores) {
        if (!ReadStoreSenders(root, newest, progress, read)) {
            break;
        }
    }
    return newest;
}

std::optional<std::int64_t> DayOfGameDate(std::u16string_view text, std::time_t now) {
    using namespace std::chrono;
    const std::size_t lastDot = text.rfind(u'.');
    if (lastDot == std::u16string_view::npos) {
        return std::nullopt;
    }
    const std::size_t firstDot = text.find(u'.');
    const int dayNumber = Number(text.substr(lastDot + 1));
    const int monthNumber =
        Number(text.substr(firstDot == lastDot ? 0 : firstDot + 1,
                           firstDot == lastDot ? lastDot : lastDot - firstDot - 1));
    const int yearNumber = firstDot == lastDot ? 0 : Number(text.substr(0, firstDot));
    if (dayNumber < 1 || dayNumber > 31 || monthNumber < 1 || monthNumber > 12 || yearNumber < 0) {
        return std::nullopt;
    }
    const sys_days today = floor<days>(sys_seconds(seconds(now)));
    const year_month_day todayDate(today);
    const month_day monthDay(month(static_cast<unsigned>(monthNumber)),
                             day(static_cast<unsigned>(dayNumber)));
    year dateYear(yearNumber);
    if (firstDot == lastDot) {
        // A month and day only: this year's, unless it is still to come.
        dateYear = todayDate.year();
        if (sys_days(dateYear / monthDay) > today) {
            --dateYear;
        }
    }
    return sys_days(dateYear / monthDay).time_since_epoch().count();
}

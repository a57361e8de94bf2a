#include "messaging/newest_messages.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>

#include "messaging/file_handle.h"
#include "messaging/mail_limits.h"
#include "messaging/maildir.h"
#include "messaging/parsed_mail.h"
#include "messaging/sender_cache.h"
#include "platform/text_codec.h"

namespace {

// What one read asks for first: more than the header of almost any message.
constexpr std::size_t kFirstHeaderRead = std::size_t{4} << 10;

// The address without the blanks around it, its ASCII letters in lower case.
std::string AddressKey(std::string_view address) {
    const std::size_t first = address.find_first_not_of(" \t");
    const std::size_t last = address.find_last_not_of(" \t");
    std::string key(first == std::string_view::npos ? std::string_view()
                                                    : address.substr(first, last - first + 1));
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
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

// What one reading of the Inboxes works with: the senders found so far and the
// cache of what earlier readings found.
struct SenderReading {
    NewestMessages newest;
    SenderCache cache;
    std::size_t read = 0;
};

// The sender and delivery time of the message `name` of the open folder `subfolderFd`
// (whose path is `path`), from the cache or else from the file; null when the file
// cannot be read. Valid until the next call.
const SenderCache::Known* KnowMessage(int subfolderFd, const char* name, const std::string& path,
                                      SenderCache& cache, std::string& header) {
    if (const SenderCache::Known* cached = cache.Use(path)) {
        return cached;
    }
    struct stat info {};
    if (!ReadHeaderSection(subfolderFd, name, header, info)) {
        return nullptr;
    }
    const std::optional<std::u16string> sender = ParseSenderAddress(header);
    return cache.Remember(path, {sender ? EncodeUtf8(*sender) : std::string(), info.st_mtim.tv_sec,
                                 info.st_mtim.tv_nsec});
}

// Reads the senders of one store's Inbox; false when `progress` asked to stop.
bool ReadStoreSenders(const std::filesystem::path& root, SenderReading& reading,
                      const ReadProgress& progress) {
    std::string header;
    std::string path;
    bool goOn = true;
    // Each file is opened once, for its time and its header together; the order of
    // the folder does not matter to the newest message of a sender.
    static_cast<void>(Maildir(root).VisitNames(
        [&](int subfolderFd, const std::filesystem::path& subfolder, const char* name) {
            if (!goOn) {
                return;
            }
            path.assign(subfolder.native()).append("/").append(name);
            if (const SenderCache::Known* known =
                    KnowMessage(subfolderFd, name, path, reading.cache, header);
                known != nullptr && !known->sender.empty()) {
                reading.newest.Offer(known->sender, known->delivered, known->deliveredNanos, path);
            }
            goOn = !progress || progress(++reading.read);
        }));
    return goOn;
}

}  // namespace

void NewestMessages::Offer(std::string_view sender, std::time_t delivered, long deliveredNanos,
                           std::string_view file) {
    const auto [kept, added] = bySender_.try_emplace(AddressKey(sender));
    Message& message = kept->second;
    // The Inbox lists its messages by delivery time, then by file name.
    const bool later = added || delivered > message.delivered ||
                       (delivered == message.delivered &&
                        (deliveredNanos > message.deliveredNanos ||
                         (deliveredNanos == message.deliveredNanos &&
                          std::filesystem::path(file).filename() > message.file.filename())));
    if (later) {
        message = {std::filesystem::path(file), delivered, deliveredNanos};
    }
}

const NewestMessages::Message* NewestMessages::From(std::u16string_view address) const {
    const auto found = bySender_.find(AddressKey(EncodeUtf8(address)));
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
                                  const ReadProgress& progress,
                                  const std::filesystem::path& cacheFile) {
    SenderReading reading;
    if (!cacheFile.empty()) {
        reading.cache = SenderCache::Load(cacheFile);
    }
    bool stopped = false;
    for (const std::filesystem::path& root : stores) {
        if (!ReadStoreSenders(root, reading, progress)) {
            stopped = true;
            break;
        }
    }
    if (!cacheFile.empty() && !stopped && reading.cache.OutOfDate()) {
        static_cast<void>(reading.cache.Save(cacheFile));
    }
    return std::move(reading.newest);
}

#include "messaging/enumerate_inbox.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "messaging/maildir.h"
#include "messaging/message_store.h"
#include "platform/error_report.h"

namespace {

constexpr int kFail = static_cast<int>(0x80004005u);

// Closes a file descriptor when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Reads the store's Inbox, handing each message to `callback`; 0 or the failed step.
int ReadStoreInbox(const std::filesystem::path& root, const InboxCallback& callback,
                   std::u16string_view& caption) {
    struct stat info {};
    if (::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        caption = u"Unable to open Message Store";
        return errno != 0 ? errno : ENOTDIR;
    }
    const Maildir inbox(root);
    if (const int error = inbox.Check(); error != 0) {
        caption = u"Unable to get Inbox folder ID";
        return error;
    }
    std::vector<Maildir::Entry> entries;
    if (const int error = inbox.List(entries); error != 0) {
        caption = u"Unable to get content table";
        return error;
    }
    for (const Maildir::Entry& entry : entries) {
        if (std::unique_ptr<InboxMessage> message = ReadInboxMessage(entry.path)) {
            callback(std::move(message));
        }
    }
    return 0;
}

}  // namespace

std::unique_ptr<InboxMessage> ReadInboxMessage(const std::filesystem::path& file) {
    // Neither the file nor its folder through a link, and never waiting on a pipe
    // someone put in the folder.
    const FileHandle folder(
        ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
    const FileHandle fd(folder.get() < 0
                            ? -1
                            : ::openat(folder.get(), file.filename().c_str(),
                                       O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    // Room for the file as it is now, plus one byte to see whether it has grown.
    const auto expected = static_cast<std::size_t>(info.st_size < 0 ? 0 : info.st_size);
    std::string bytes(std::min(expected + 1, kMaxMessageBytes), '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size >= kMaxMessageBytes) {
                break;
            }
            bytes.resize(std::min(size * 2, kMaxMessageBytes));
        }
        const ssize_t got = ::read(fd.get(), bytes.data() + size, bytes.size() - size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return nullptr;
        }
        if (got == 0) {
            break;
        }
        size += static_cast<std::size_t>(got);
    }
    bytes.resize(size);
    return BuildInboxMessage(bytes, info.st_mtim.tv_sec);
}

void EnumerateInbox(const MessageStore& session, const InboxCallback& callback) {
    if (!session.IsOpen()) {
        ShowSystemError(kFail, u"GetMsgStoresTable ");
        return;
    }
    for (const std::filesystem::path& root : session.Stores()) {
        std::u16string_view caption;
        if (const int error = ReadStoreInbox(root, callback, caption); error != 0) {
            ShowSystemError(error, caption);
            return;
        }
    }
}

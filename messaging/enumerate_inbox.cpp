#include "messaging/enumerate_inbox.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "messaging/file_handle.h"
#include "messaging/maildir.h"
#include "messaging/message_store.h"
#include "platform/error_report.h"

namespace {

constexpr int kFail = static_cast<int>(0x80004005u);

// Reads the store's Inbox, handing each message to `callback` and counting it in
// `read`; 0 or the failed step. `stopped` is set when `progress` asked to stop.
int ReadStoreInbox(const std::filesystem::path& root, const InboxCallback& callback,
                   const ReadProgress& progress, std::size_t& read, bool& stopped,
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
        if (progress && !progress(++read)) {
            stopped = true;
            break;
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
    if (const InboxReadFailure failure = ReadInbox(session.Stores(), callback); failure.code != 0) {
        ShowSystemError(failure.code, failure.caption);
    }
}

InboxReadFailure ReadInbox(const std::vector<std::filesystem::path>& stores,
                           const InboxCallback& callback, const ReadProgress& progress) {
    // An open session has at least one store.
    if (stores.empty()) {
        return {kFail, u"GetMsgStoresTable "};
    }
    std::size_t read = 0;
    bool stopped = false;
    for (const std::filesystem::path& root : stores) {
        InboxReadFailure failure;
        failure.code = ReadStoreInbox(root, callback, progress, read, stopped, failure.caption);
        if (failure.code != 0 || stopped) {
            return failure;
        }
    }
    return {};
}

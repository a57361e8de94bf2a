#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One maildir folder: its new/, cur/ and tmp/ subfolders. A message is written in tmp/
// under a unique name and then renamed into place, so that a reader never sees half a
// message. Every operation returns 0 or an errno value.
class Maildir {
public:
    // One message file of the folder.
    struct Entry {
        std::filesystem::path path;
        std::time_t modified = 0;  // the delivery time
        long modifiedNanos = 0;
    };

    explicit Maildir(std::filesystem::path folder) : folder_(std::move(folder)) {}
    ~Maildir() = default;

    [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }

    // 0 when the folder has its three subfolders, else the errno value of the missing one.
    [[nodiscard]] int Check() const;

    // What a folder is in its store: the root (the Inbox) or one of the Maildir++
    // folders inside it (.Drafts, .Outbox, .Sent).
    enum class Kind { Root, Subfolder };

    // Makes the folder and its three subfolders when missing; a Subfolder also gets
    // the empty "maildirfolder" file that marks it for Maildir++ readers.
    [[nodiscard]] int Create(Kind kind = Kind::Root) const;

    // Makes a new empty file in tmp/ and gives its path in `file`.
    int CreateTemporary(std::filesystem::path& file) const;

    // Moves a finished file (from tmp/ of this folder, or a message of another folder of
    // the same store) into cur/ with the maildir `flags` ("D" draft, "S" seen) or into
    // new/ when `flags` is empty; gives its new path in `moved`.
    int MoveIn(const std::filesystem::path& file, std::string_view flags,
               std::filesystem::path& moved) const;

    // The messages of new/ and cur/, oldest delivery first: by modification time, then
    // by file name. Hidden files, messages flagged trashed (T) and a new/ or cur/ that
    // is a link to another folder are skipped.
    int List(std::vector<Entry>& entries) const;

    // Calls `visit` with each name in new/ and cur/ that List could give (hidden
    // files, messages flagged trashed and a new/ or cur/ that is a link left out), with
    // the subfolder it is in, open as `subfolderFd`, in the folders' own order and
    // without looking at the files: a caller that opens each file anyway saves List's
    // look-ups and sorting. Returns 0 or the errno value of a subfolder that could not
    // be read.
    using NameVisitor = std::function<void(int subfolderFd, const std::filesystem::path& subfolder,
                                           const char* name)>;
    [[nodiscard]] int VisitNames(const NameVisitor& visit) const;

private:
    std::filesystem::path folder_;
};

// Writes all of `bytes` to `file` and flushes it to the disk; 0 or an errno value.
int WriteWholeFile(const std::filesystem::path& file, std::string_view bytes);

#include "contacts/contacts_database.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "contacts/contacts_error.h"
#include "contacts/vcard_reader.h"
#include "platform/device_settings.h"
#include "platform/text_codec.h"

namespace {

constexpr std::u16string_view kAddressBookCaption = u"Address book";
constexpr std::u16string_view kFoldersCaption = u"Unable to access Folders";
constexpr std::u16string_view kContactsCaption = u"Unable to get contacts";

int CreateEmptyBook(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        return 0;
    }
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        return error.value();
    }
    std::ofstream out(path, std::ios::binary | std::ios::app);
    return out ? 0 : (errno != 0 ? errno : EIO);
}

bool HasVcfExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".vcf";
}

// The files that make up the book at `path`: itself, or a folder's .vcf files by name.
int ListBookFiles(const std::filesystem::path& path, std::vector<std::filesystem::path>& files) {
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) {
        files.push_back(path);
        return 0;
    }
    for (std::filesystem::directory_iterator it(path, error), end; !error && it != end;
         it.increment(error)) {
        if (files.size() >= ContactsDatabase::kMaxBookFiles) {
            break;
        }
        if (HasVcfExtension(it->path()) && it->is_regular_file(error)) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return error.value();
}

// Reads the cards of one file into `contacts`; `total` counts the bytes read so far,
// which must stay under the book's size limit. Each file is read on its own, so that
// a card cut short at the end of one file cannot swallow the next file's cards.
int ReadBookFile(const std::filesystem::path& path, std::size_t& total,
                 std::vector<Contact>& contacts) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        return error.value();
    }
    if (size > ContactsDatabase::kMaxBookSize - total) {
        return EFBIG;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return errno != 0 ? errno : EIO;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    total += bytes.size();
    for (Contact& contact : ReadVCards(bytes)) {
        contacts.push_back(std::move(contact));
    }
    return 0;
}

}  // namespace

AddressBookPlace FindAddressBook(const DeviceSettings& settings,
                                 const std::filesystem::path& dataFolder) {
    const auto named = settings.Get(u"Contacts", u"AddressBook");
    if (named && !named->empty()) {
        return {std::filesystem::path(EncodeUtf8(*named)), false};
    }
    // Without a data folder (no HOME) the place stays empty and the session cannot
    // open, rather than making a book in whatever folder the program started from.
    return {dataFolder.empty() ? dataFolder : dataFolder / "contacts.vcf", true};
}

int ContactsDatabase::Logon(const AddressBookPlace& place) {
    usable_ = false;
    path_ = place.path;
    if (path_.empty()) {
        ShowAddressBookError(ENOENT, kAddressBookCaption, u"create", path_);
        return ENOENT;
    }
    if (place.isDefault) {
        if (const int error = CreateEmptyBook(path_); error != 0) {
            ShowAddressBookError(error, kAddressBookCaption, u"create", path_);
            return error;
        }
    }
    std::error_code error;
    const auto status = std::filesystem::status(path_, error);
    if (!error && status.type() != std::filesystem::file_type::regular &&
        status.type() != std::filesystem::file_type::directory) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    }
    if (error) {
        Close();
        ShowAddressBookError(error.value(), kAddressBookCaption, u"read", path_);
        return error.value();
    }
    usable_ = true;
    return 0;
}

std::unique_ptr<ContactItems> ContactsDatabase::GetContacts() const {
    if (!usable_) {
        return nullptr;
    }
    std::error_code error;
    if (!std::filesystem::exists(path_, error)) {
        ShowAddressBookError(error ? error.value() : ENOENT, kFoldersCaption, u"read", path_);
        return nullptr;
    }
    std::vector<std::filesystem::path> files;
    int result = ListBookFiles(path_, files);
    // The box names the file of a folder that could not be read.
    std::filesystem::path failed = path_;
    std::size_t total = 0;
    std::vector<Contact> contacts;
    for (std::size_t i = 0; result == 0 && i < files.size(); ++i) {
        result = ReadBookFile(files[i], total, contacts);
        if (result != 0 && result != EFBIG) {
            failed = files[i];
        }
    }
    if (result != 0) {
        ShowAddressBookError(result, kContactsCaption, u"read", failed);
        return nullptr;
    }
    return std::make_unique<ContactItems>(std::move(contacts));
}

#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>

#include "contacts/contact_items.h"

class DeviceSettings;

// Where the address book is: a vCard file or a folder of .vcf files.
struct AddressBookPlace {
    std::filesystem::path path;
    // The default file is created empty on first use; a named one must exist.
    bool isDefault = false;
};

// The place named by [Contacts] AddressBook= in `settings`, else contacts.vcf in
// `dataFolder` (see DeviceSettings::DataFolder); an empty path when `dataFolder` is
// empty.
AddressBookPlace FindAddressBook(const DeviceSettings& settings,
                                 const std::filesystem::path& dataFolder);

// The session with the address book, held from start-up to exit. Every failure is
// shown through ShowAddressBookError, naming the file or folder and the reason under
// the failed step's caption, and returned as an errno value.
class ContactsDatabase {
public:
    // Address books larger than this (all files together) are refused, not read.
    static constexpr std::size_t kMaxBookSize = std::size_t{16} << 20;
    // A folder's .vcf files beyond this many are not read.
    static constexpr std::size_t kMaxBookFiles = 10000;

    ContactsDatabase() = default;
    ~ContactsDatabase() = default;

    // Opens the session on `place`: the default file and its folder are created when
    // missing ("Cannot create the address book ..."), then the place must be a
    // readable file or folder ("Cannot read the address book ...", which closes the
    // session again); both boxes are captioned "Address book". Returns 0, or the errno
    // value of the failure with the session left unusable.
    int Logon(const AddressBookPlace& place);

    // True between a successful Logon and Close.
    [[nodiscard]] bool IsUsable() const { return usable_; }

    // Reads every contact of the address book, in file order (a folder's files by
    // name). Returns nullptr when the session is unusable (no box), or after a box
    // captioned "Unable to access Folders" (the place has gone) or "Unable to get
    // contacts" (a file could not be read, or the book is over kMaxBookSize). The
    // caller owns the collection.
    [[nodiscard]] std::unique_ptr<ContactItems> GetContacts() const;

    // Ends the session; it is unusable afterwards.
    void Close() { usable_ = false; }

private:
    std::filesystem::path path_;
    bool usable_ = false;
};

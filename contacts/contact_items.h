#pragma once

#include <vector>

#include "contacts/contact.h"

// The contacts of the address book as read at one moment: a collection counted and
// indexed from 1, which stays valid (and unchanged) while the caller holds it.
class ContactItems {
public:
    explicit ContactItems(std::vector<Contact> contacts) : contacts_(std::move(contacts)) {}
    ~ContactItems() = default;

    // How many contacts there are, those without address included.
    [[nodiscard]] int Count() const { return static_cast<int>(contacts_.size()); }

    // The contact at 1-based `index`, or nullptr outside 1..Count(). The collection
    // keeps ownership.
    [[nodiscard]] const Contact* Item(int index) const {
        if (index < 1 || index > Count()) {
            return nullptr;
        }
        return &contacts_[static_cast<std::size_t>(index - 1)];
    }

private:
    std::vector<Contact> contacts_;
};

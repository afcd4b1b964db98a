#pragma once

#include "platform/contacts/ContactCard.h"
#include "platform/contacts/ContactFolder.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace pelmora {

// Where the contacts come from. Current() gives the folder as it is now; a
// source that has not changed since the last call returns the same folder
// without reading it again. Backends fill a CardTable (or hand over
// ContactCards) and wrap it in a ContactFolder, which indexes the numbers.
class AddressBook {
public:
    virtual ~AddressBook() = default;
    virtual std::shared_ptr<const ContactFolder> Current() = 0;
};

// The address book behind the contacts object model (not owned; null means
// an empty address book).
void SetAddressBook(AddressBook* book);
AddressBook* CurrentAddressBook();

// Contacts held in memory, changed by code: tests and demos.
class SimulatedAddressBook final : public AddressBook {
public:
    std::shared_ptr<const ContactFolder> Current() override;
    void Add(ContactCard card);
    bool Remove(uint32_t oid);
    void Clear();

private:
    std::vector<ContactCard> cards_;
    std::shared_ptr<const ContactFolder> folder_;
};

} // namespace pelmora

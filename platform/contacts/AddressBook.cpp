#include "platform/contacts/AddressBook.h"

#include <algorithm>

namespace pelmora {

namespace {
AddressBook* g_book = nullptr;
}

void SetAddressBook(AddressBook* book)
{
    g_book = book;
}
AddressBook* CurrentAddressBook()
{
    return g_book;
}

std::shared_ptr<const ContactFolder> SimulatedAddressBook::Current()
{
    if (!folder_)
        folder_ = std::make_shared<const ContactFolder>(cards_);
    return folder_;
}

void SimulatedAddressBook::Add(ContactCard card)
{
    cards_.push_back(std::move(card));
    folder_.reset();
}

bool SimulatedAddressBook::Remove(uint32_t oid)
{
    const auto removed
        = std::erase_if(cards_, [oid](const ContactCard& c) { return c.oid == oid; });
    folder_.reset();
    return removed > 0;
}

void SimulatedAddressBook::Clear()
{
    cards_.clear();
    folder_.reset();
}

} // namespace pelmora

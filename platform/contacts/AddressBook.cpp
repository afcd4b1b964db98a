#include "platform/contacts/AddressBook.h"

#include <algorithm>

namespace pelmora {

const std::array<const char16_t*, kPhoneFieldCount> kPhoneFieldNames = {
    u"MobileTelephoneNumber",
    u"PagerNumber",
    u"BusinessTelephoneNumber",
    u"HomeTelephoneNumber",
    u"Home2TelephoneNumber",
    u"HomeFaxNumber",
    u"CarTelephoneNumber",
    u"Business2TelephoneNumber",
    u"RadioTelephoneNumber",
    u"BusinessFaxNumber",
};

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

ContactFolder::ContactFolder(std::vector<ContactCard> cards)
    : cards_(std::move(cards))
{
    for (size_t position = 0; position < cards_.size(); ++position)
        for (size_t field = 0; field < kPhoneFieldCount; ++field) {
            const std::u16string& number = cards_[position].phones[field];
            if (!number.empty())
                index_[field].try_emplace(number, position);
        }
}

int64_t ContactFolder::FirstWith(PhoneField field, const std::u16string& number) const
{
    // A field without a number holds nothing to match, so an empty text
    // matches no card (else a caller ID of zeros would match everyone).
    if (number.empty())
        return -1;
    auto it = index_[field].find(number);
    return it == index_[field].end() ? -1 : static_cast<int64_t>(it->second);
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

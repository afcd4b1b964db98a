#include "platform/contacts/ContactFolder.h"

#include <algorithm>

namespace pelmora {

namespace {

CardTable TableOf(const std::vector<ContactCard>& cards)
{
    CardTable table;
    size_t units = 0;
    for (const ContactCard& card : cards) {
        units += card.title.size() + card.firstName.size() + card.middleName.size()
            + card.lastName.size() + card.suffix.size();
        for (const std::u16string& phone : card.phones)
            units += phone.size();
    }
    table.Reserve(cards.size(), units);
    for (const ContactCard& card : cards)
        table.Append(card);
    return table;
}

} // namespace

ContactFolder::ContactFolder(CardTable cards)
    : cards_(std::move(cards))
    , exact_(cards_, PhoneNumberIndex::Form::Exact)
    , unformatted_(cards_, PhoneNumberIndex::Form::Unformatted)
    , national_(cards_, PhoneNumberIndex::Form::National)
{
}

ContactFolder::ContactFolder(const std::vector<ContactCard>& cards)
    : ContactFolder(TableOf(cards))
{
}

int64_t ContactFolder::FirstWith(PhoneField field, std::u16string_view number) const
{
    return field < kPhoneFieldCount ? FirstWithAny(number, 1u << field) : -1;
}

int64_t ContactFolder::FirstWithAny(std::u16string_view number, uint32_t fields) const
{
    // Slots come in folder order, then field order: the first one in a
    // field asked for is the answer.
    for (uint32_t slot : exact_.Slots(cards_, number))
        if (fields & (1u << (slot % kPhoneFieldCount)))
            return slot / kPhoneFieldCount;
    return -1;
}

int64_t ContactFolder::FirstUnformatted(std::u16string_view number) const
{
    const auto slots = unformatted_.Slots(cards_, number);
    return slots.empty() ? -1 : static_cast<int64_t>(slots.front() / kPhoneFieldCount);
}

int64_t ContactFolder::FirstUnformatted(std::u16string_view a, std::u16string_view b) const
{
    const int64_t first = FirstUnformatted(a);
    const int64_t second = FirstUnformatted(b);
    if (first < 0)
        return second;
    return second < 0 ? first : std::min(first, second);
}

int64_t ContactFolder::FirstNational(std::u16string_view national) const
{
    const auto slots = national_.Slots(cards_, national);
    return slots.empty() ? -1 : static_cast<int64_t>(slots.front() / kPhoneFieldCount);
}

size_t ContactFolder::Bytes() const
{
    return cards_.Bytes() + exact_.Bytes() + unformatted_.Bytes() + national_.Bytes();
}

} // namespace pelmora

#include "platform/contacts/CardTable.h"

namespace pelmora {

void CardTable::Reserve(size_t cards, size_t units)
{
    oids_.reserve(cards);
    ends_.reserve(cards * kTextCount);
    units_.reserve(units);
}

bool CardTable::Append(const ContactCard& card)
{
    const std::array<const std::u16string*, kTextCount> texts
        = {&card.title, &card.firstName, &card.middleName, &card.lastName, &card.suffix,
            &card.phones[0], &card.phones[1], &card.phones[2], &card.phones[3], &card.phones[4],
            &card.phones[5], &card.phones[6], &card.phones[7], &card.phones[8], &card.phones[9]};
    size_t units = 0;
    for (const std::u16string* text : texts)
        units += text->size();
    if (Size() >= kMaxCards || units > UINT32_MAX - units_.size())
        return false;
    for (const std::u16string* text : texts) {
        units_ += *text;
        ends_.push_back(static_cast<uint32_t>(units_.size()));
    }
    oids_.push_back(card.oid);
    return true;
}

void CardTable::ShrinkToFit()
{
    units_.shrink_to_fit();
    ends_.shrink_to_fit();
    oids_.shrink_to_fit();
}

ContactCard CardTable::Card(size_t position) const
{
    ContactCard card;
    card.title = TextOf(position, Title);
    card.firstName = TextOf(position, FirstName);
    card.middleName = TextOf(position, MiddleName);
    card.lastName = TextOf(position, LastName);
    card.suffix = TextOf(position, Suffix);
    card.oid = oids_[position];
    for (size_t field = 0; field < kPhoneFieldCount; ++field)
        card.phones[field] = Phone(position, static_cast<PhoneField>(field));
    return card;
}

size_t CardTable::Bytes() const
{
    return units_.capacity() * sizeof(char16_t) + ends_.capacity() * sizeof(uint32_t)
        + oids_.capacity() * sizeof(uint32_t);
}

} // namespace pelmora

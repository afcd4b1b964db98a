#pragma once

#include "platform/contacts/CardTable.h"
#include "platform/contacts/PhoneNumberIndex.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace pelmora {

// One read of an address book: its cards in folder order, compactly stored,
// with indexes of their phone numbers as stored, without formatting
// characters, and as national numbers. Whatever backend supplies the cards, lookups answer from the
// indexes exactly what a walk over the cards in folder order would: the
// first card that holds the number in any of the fields asked for.
class ContactFolder final {
public:
    explicit ContactFolder(CardTable cards);
    explicit ContactFolder(const std::vector<ContactCard>& cards);
    ContactFolder(const ContactFolder&) = delete;
    ContactFolder& operator=(const ContactFolder&) = delete;

    const CardTable& Cards() const { return cards_; }
    size_t Size() const { return cards_.Size(); }

    // Position (0-based) of the first card whose `field` equals `number`
    // exactly, or -1; an empty number matches nothing.
    int64_t FirstWith(PhoneField field, std::u16string_view number) const;
    // The same over several fields, one bit (1 << field) for each.
    int64_t FirstWithAny(std::u16string_view number, uint32_t fields) const;
    // Position of the first card with any phone field that equals `a` or
    // `b` once "(", ")", spaces and "-" are removed from all three, or -1. A
    // field or number with nothing else in it matches nothing.
    int64_t FirstUnformatted(std::u16string_view a, std::u16string_view b) const;
    // Position of the first card with any phone field that equals the
    // national number `national` once formatting characters and leading
    // zeros are removed from both, or -1.
    int64_t FirstNational(std::u16string_view national) const;

    // Heap bytes held, for measurements.
    size_t Bytes() const;

private:
    int64_t FirstUnformatted(std::u16string_view number) const;

    CardTable cards_;
    PhoneNumberIndex exact_;
    PhoneNumberIndex unformatted_;
    PhoneNumberIndex national_;
};

} // namespace pelmora

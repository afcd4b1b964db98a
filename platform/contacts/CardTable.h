#pragma once

#include "platform/contacts/ContactCard.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

// The cards of an address book in folder order, stored compactly: all texts
// of all cards one after another in a single buffer, found by their end
// offsets, so a card costs its characters plus four bytes per text instead
// of fifteen separately allocated strings.
class CardTable final {
public:
    // Title, first, middle and last name, suffix, then the ten phone fields.
    enum Text : size_t { Title, FirstName, MiddleName, LastName, Suffix };
    static constexpr size_t kNameCount = 5;
    static constexpr size_t kTextCount = kNameCount + kPhoneFieldCount;
    // Positions and text offsets are 32-bit; phone slots (position * 10 +
    // field) must be too.
    static constexpr size_t kMaxCards = UINT32_MAX / kPhoneFieldCount;

    // Room for `cards` cards of `units` characters in all, as a hint.
    void Reserve(size_t cards, size_t units);
    // False, with nothing added, when the table is full.
    bool Append(const ContactCard& card);
    // Gives back the room reserved beyond what the cards use.
    void ShrinkToFit();

    size_t Size() const { return oids_.size(); }
    bool Empty() const { return oids_.empty(); }
    uint32_t Oid(size_t position) const { return oids_[position]; }
    void SetOid(size_t position, uint32_t oid) { oids_[position] = oid; }
    std::u16string_view TextOf(size_t position, size_t text) const
    {
        const size_t at = position * kTextCount + text;
        const uint32_t begin = at == 0 ? 0 : ends_[at - 1];
        return std::u16string_view(units_).substr(begin, ends_[at] - begin);
    }
    std::u16string_view Phone(size_t position, PhoneField field) const
    {
        return TextOf(position, kNameCount + field);
    }
    ContactCard Card(size_t position) const;
    // Heap bytes held, for measurements.
    size_t Bytes() const;

private:
    std::u16string units_;
    std::vector<uint32_t> ends_; // kTextCount per card
    std::vector<uint32_t> oids_;
};

} // namespace pelmora

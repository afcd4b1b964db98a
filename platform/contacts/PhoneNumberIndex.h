#pragma once

#include "platform/contacts/CardTable.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace pelmora {

// Where each phone number of a card table is held, so that a lookup costs a
// hash probe instead of a walk over the cards. Every non-empty phone field is
// a slot (position * 10 + field); slots holding the same number form a group,
// kept in ascending order, that is in folder order and then in field order.
// The numbers themselves are not copied: the hash table holds group numbers
// and compares against the texts in the card table.
//
// The index is built in one of three forms: numbers exactly as stored,
// numbers without their formatting characters, or national numbers: without
// formatting characters and without the zeros that lead them (a field that
// holds nothing else counts as empty).
class PhoneNumberIndex final {
public:
    enum class Form { Exact, Unformatted, National };

    PhoneNumberIndex() = default;
    PhoneNumberIndex(const CardTable& cards, Form form);

    // The slots whose number equals `number`, which must already be in this
    // index's form; `cards` is the table the index was built from. Nothing
    // for an empty number.
    std::span<const uint32_t> Slots(const CardTable& cards, std::u16string_view number) const;

    // Heap bytes held, for measurements.
    size_t Bytes() const;

    // The hash of a number in a form; equal numbers hash alike.
    static uint32_t Hash(std::u16string_view number, Form form);

private:
    std::u16string_view Number(const CardTable& cards, uint32_t slot) const;
    uint32_t Hash(std::u16string_view number) const { return Hash(number, form_); }
    bool Equal(std::u16string_view stored, std::u16string_view number) const;
    bool Less(std::u16string_view a, std::u16string_view b) const;
    bool IsEmpty(std::u16string_view stored) const;

    Form form_ = Form::Exact;
    std::vector<uint32_t> slots_;
    std::vector<uint32_t> groups_; // where each group starts in slots_; slots_.size() last
    std::vector<uint32_t> buckets_; // group + 1, or 0 when free; a power of two long
    int shift_ = 32; // a hash shifted right by this is its bucket
};

} // namespace pelmora

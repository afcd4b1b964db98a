#pragma once

#include "platform/contacts/ContactCard.h"

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::test {

// Address books and calling numbers made up from a seed, for comparing the
// indexed lookups with plain walks over the cards. Numbers are short and
// drawn from few digits, so that many are shared; they come with formatting
// characters, leading zeros, plus signs and characters that are not
// formatting, and some fields hold only formatting characters or nothing.
class RandomContacts final {
public:
    explicit RandomContacts(uint32_t seed)
        : random_(seed)
    {
    }

    std::vector<ContactCard> Book(size_t maxCards);
    // A calling number: mostly one of the book's, as stored, reformatted or
    // with zeros in front, or the national part of one stored behind
    // `prefix`; sometimes a made-up one.
    std::u16string CallingNumber(const std::vector<ContactCard>& cards, std::u16string_view prefix);
    std::u16string Prefix();
    size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

private:
    bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }
    std::u16string Digits();
    std::u16string Number();
    std::u16string Reformat(std::u16string_view number);

    std::mt19937 random_;
};

// The lookups as plain walks over the cards in folder order and fields in
// table order. Position of the first match, or -1.
int64_t ScanExact(const std::vector<ContactCard>& cards, std::u16string_view number,
    uint32_t fields = (1u << kPhoneFieldCount) - 1);
int64_t ScanUnformatted(const std::vector<ContactCard>& cards, std::u16string a, std::u16string b);
// The first card with a number equal to `national` once both lose their
// formatting characters and leading zeros.
int64_t ScanNational(const std::vector<ContactCard>& cards, std::u16string national);

} // namespace pelmora::test

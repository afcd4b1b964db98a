#pragma once

#include "platform/contacts/ContactCard.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

// What the address book takes from one vCard, as the card's text gives it
// (UTF-8): the first UID, the five parts of the first N, and every TEL's
// first value with the type words of its parameters.
struct VCardFields {
    struct Tel {
        std::vector<std::string> types; // lower case, as listed
        std::string value;
        // The field an address book with phone fields of its own (Evolution
        // Data Server) has put the number in; never set for a vCard file.
        std::optional<PhoneField> filed;
        bool operator==(const Tel&) const = default;
    };
    std::string uid; // empty when the card has none (or an empty one)
    std::string family, given, additional, prefixes, suffixes;
    std::vector<Tel> tels;

    bool operator==(const VCardFields&) const = default;
};

// Adds the words of a TYPE parameter value ("a,b", quotes dropped) in lower
// case.
void AddTypeWords(std::vector<std::string>& types, std::string_view list);
// Sorts the type words and drops repeated ones: only which words a number
// has counts.
void NormaliseTypes(std::vector<std::string>& types);

} // namespace pelmora

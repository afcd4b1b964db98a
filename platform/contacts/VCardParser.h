#pragma once

#include "platform/contacts/AddressBook.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

typedef struct _EContact EContact;
typedef struct _EVCardAttribute EVCardAttribute;

namespace pelmora {

// One contact as read from a vCard: its UID (or one derived from the card's
// content when it has none), its name parts and its numbers filed into the
// ten phone fields.
struct ParsedCard {
    std::string uid;
    ContactCard card; // oid left 0; the address book assigns it
};

// Reads every vCard (2.1, 3.0 or 4.0) of a file's text, in order. A card
// that cannot be parsed is skipped; a number that finds no free field is
// dropped. Both are reported on standard error, naming `source`.
std::vector<ParsedCard> ParseVCards(std::string_view text, std::string_view source);

// Per phone field, the TEL attribute that an address book has already filed
// there, or null.
using FiledPhones = std::array<EVCardAttribute*, kPhoneFieldCount>;

// Reads a contact's name parts and numbers into `card`. A number named in
// `filed` goes to its field; every other one goes where a vCard file's
// would: a typed number into its field while that is free, the rest into
// the free fields in table order. A number that finds no free field is
// reported on standard error, naming `source` and `uid`.
void ReadContactCard(EContact* contact, const FiledPhones& filed, std::string_view source,
    std::string_view uid, ContactCard& card);

} // namespace pelmora

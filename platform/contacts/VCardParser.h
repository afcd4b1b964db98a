#pragma once

#include "platform/contacts/AddressBook.h"
#include "platform/contacts/VCardFields.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

typedef struct _EContact EContact;

namespace pelmora {

// One contact as read from a vCard: its UID (or one derived from the card's
// content when it has none), its name parts and its numbers filed into the
// ten phone fields.
struct ParsedCard {
    std::string uid;
    ContactCard card; // oid left 0; the address book assigns it
};

// Reads every vCard (2.1, 3.0 or 4.0) of a file's text, in order, handing
// each to `take` as soon as it is read. A card that cannot be parsed, is
// not UTF-8 or holds a CR inside a line is skipped; a number that finds no
// free field is dropped. Both are reported on standard error, naming
// `source`.
void ParseVCards(
    std::string_view text, std::string_view source, const std::function<void(ParsedCard&&)>& take);
std::vector<ParsedCard> ParseVCards(std::string_view text, std::string_view source);

// Whether a card's text may go to a parser: UTF-8 without zero bytes, and
// no CR but those before an LF. libebook loses memory on some names cut off
// by either, and no vCard writer puts one there.
bool IsReadableCardText(std::string_view card);

// The fields of one card (from its BEGIN line to its END line) as libebook
// reads them: every card, however encoded or malformed. False when it
// cannot read the card at all.
bool ReadVCardWithLibrary(const std::string& card, VCardFields& fields);
// The same fields of a contact libebook holds, TELs in the contact's order.
void ReadContactFields(EContact* contact, VCardFields& fields);

// The one mapping of a contact's fields to a card, for vCard files and
// Evolution Data Server alike: the name parts, and the numbers filed into
// the ten phone fields. A number already filed goes to its field; every
// other typed number into its field while that is free, the rest into the
// free fields in table order. A number that finds no free field is dropped
// and reported on standard error, naming `source` and `uid`. The numbers
// are moved out of `fields`.
ContactCard FileContactCard(VCardFields& fields, std::string_view source, std::string_view uid);

} // namespace pelmora

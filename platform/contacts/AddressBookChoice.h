#pragma once

#include "platform/contacts/AddressBook.h"

#include <chrono>
#include <filesystem>
#include <memory>

namespace pelmora {

// How long the start of the program waits for Evolution Data Server to
// list its address books before it settles for the vCard file.
inline constexpr std::chrono::milliseconds kEdsChoiceWait {10000};

// The address book the program reads its contacts from:
// - PELMORA_CONTACTS=eds: Evolution Data Server, whether it answers or not;
// - PELMORA_CONTACTS set otherwise: the vCard file or folder it names;
// - else Evolution Data Server when it is on the session bus and has at
//   least one enabled address book, unless all its books are empty and
//   "contacts.vcf" exists in the data directory;
// - else "contacts.vcf" in the data directory.
std::unique_ptr<AddressBook> ChooseAddressBook(const std::filesystem::path& dataDir);

} // namespace pelmora

#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

class CContactsSession;

// One row of a contact picker: what it shows and whom it stands for.
struct ContactRow {
    std::u16string text;
    uint32_t contactId = 0;
    bool operator==(const ContactRow&) const = default;
};

// The address book as the pickers list it, in the contacts service's order.
// `complete` is false when the session was not logged on or stopped
// delivering before the count it gave: the rows are then only a part.
struct ContactListing {
    std::vector<ContactRow> rows;
    bool complete = false;
};

// The title, first and last name, each that is not empty followed by one
// space.
std::u16string ContactRowText(
    std::u16string_view title, std::u16string_view firstName, std::u16string_view lastName);

// Reads positions 1 to `count` through `contactAt` and stops at the first one
// that fails; a negative count (no session) lists nothing.
ContactListing ListContacts(
    int32_t count, const std::function<bool(int32_t position, ContactRow& row)>& contactAt);
// The same over a session, logged on or not.
ContactListing ListContacts(CContactsSession& session);

// The members a group edit keeps although the user could not see them. When
// the listing is known to be short (it failed, or listed nobody at all), the
// user had no chance to uncheck the members it leaves out, so they stay, in
// their old order; a whole, non-empty listing keeps none (a contact deleted
// from the address book leaves the group).
std::vector<uint32_t> UnlistedMembersToKeep(
    std::span<const uint32_t> members, std::span<const uint32_t> listed, bool listingComplete);

} // namespace pelmora

#include "rules/ContactListing.h"

#include "messages/ContactsSession.h"

#include <unordered_set>

namespace pelmora {

std::u16string ContactRowText(
    std::u16string_view title, std::u16string_view firstName, std::u16string_view lastName)
{
    std::u16string text;
    for (std::u16string_view part : {title, firstName, lastName})
        if (!part.empty()) {
            text += part;
            text += u' ';
        }
    return text;
}

ContactListing ListContacts(
    int32_t count, const std::function<bool(int32_t position, ContactRow& row)>& contactAt)
{
    ContactListing listing;
    if (count < 0)
        return listing;
    listing.rows.reserve(static_cast<size_t>(count));
    for (int32_t position = 1; position <= count; ++position) {
        ContactRow row;
        if (!contactAt(position, row))
            return listing;
        listing.rows.push_back(std::move(row));
    }
    listing.complete = true;
    return listing;
}

ContactListing ListContacts(CContactsSession& session)
{
    std::u16string title, firstName, lastName;
    return ListContacts(session.GetContactCount(), [&](int32_t position, ContactRow& row) {
        if (!session.GetContactAt(position, title, firstName, lastName, row.contactId))
            return false;
        row.text = ContactRowText(title, firstName, lastName);
        return true;
    });
}

std::vector<uint32_t> UnlistedMembersToKeep(
    std::span<const uint32_t> members, std::span<const uint32_t> listed, bool listingComplete)
{
    if (listingComplete && !listed.empty())
        return {};
    const std::unordered_set<uint32_t> shown(listed.begin(), listed.end());
    std::vector<uint32_t> kept;
    for (uint32_t member : members)
        if (!shown.contains(member))
            kept.push_back(member);
    return kept;
}

} // namespace pelmora

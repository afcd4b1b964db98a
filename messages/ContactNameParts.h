#pragma once

#include <cstdint>
#include <string>

namespace pelmora {

// The result of a caller lookup: the contact's name parts and identifier,
// 0 when no contact matched.
struct ContactNameParts {
    std::u16string title;
    std::u16string firstName;
    std::u16string middleName;
    std::u16string lastName;
    std::u16string suffix;
    uint32_t contactId = 0;

    bool operator==(const ContactNameParts&) const = default;
};

// Title, first, middle, last name and suffix, each non-empty part followed by
// one space, then the spaces at the end removed.
std::u16string ComposeFullName(const ContactNameParts& parts);

// A caller counts as identified when the first or the last name is known; a
// contact with only a title, middle name or suffix does not.
inline bool IsIdentified(const ContactNameParts& parts)
{
    return !parts.firstName.empty() || !parts.lastName.empty();
}

} // namespace pelmora

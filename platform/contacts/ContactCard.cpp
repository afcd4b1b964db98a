#include "platform/contacts/ContactCard.h"

namespace pelmora {

void StripPhoneFormatting(std::u16string& number)
{
    std::erase_if(number, IsPhoneFormatting);
}

std::u16string_view HomeNationalNumber(
    std::u16string_view number, std::u16string_view internationalPrefix)
{
    if (internationalPrefix.size() < 2 || !internationalPrefix.starts_with(u'+')
        || !number.starts_with(internationalPrefix))
        return {};
    return number.substr(internationalPrefix.size());
}

} // namespace pelmora

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

std::u16string CallerKey(std::u16string_view number, std::u16string_view internationalPrefix)
{
    std::u16string key(number);
    StripPhoneFormatting(key);
    if (const std::u16string_view home = HomeNationalNumber(key, internationalPrefix);
        !home.empty())
        return std::u16string(home);
    if (!key.starts_with(u'+')) {
        const size_t digit = key.find_first_not_of(u'0');
        if (digit != std::u16string::npos)
            key.erase(0, digit);
    }
    return key;
}

} // namespace pelmora

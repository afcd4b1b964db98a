#include "platform/contacts/ContactCard.h"

namespace pelmora {

void StripPhoneFormatting(std::u16string& number)
{
    std::erase_if(number, IsPhoneFormatting);
}

} // namespace pelmora

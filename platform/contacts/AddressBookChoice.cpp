#include "platform/contacts/AddressBookChoice.h"

#include "platform/contacts/EdsAddressBook.h"
#include "platform/contacts/VCardAddressBook.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace pelmora {

std::unique_ptr<AddressBook> ChooseAddressBook(const std::filesystem::path& dataDir)
{
    const char* chosen = std::getenv("PELMORA_CONTACTS");
    if (chosen && std::string_view(chosen) == "eds")
        return std::make_unique<EdsAddressBook>();
    if (chosen && *chosen)
        return std::make_unique<VCardAddressBook>(chosen);
    const std::filesystem::path file = dataDir / "contacts.vcf";
    if (EdsOnSessionBus()) {
        auto eds = std::make_unique<EdsAddressBook>();
        if (eds->WaitForFirstRead(kEdsChoiceWait) && eds->Books() > 0) {
            // A desktop's server often holds just an empty "Personal" book;
            // it must not hide the contacts of an existing vCard file.
            std::error_code error;
            if (!eds->Current()->Cards().Empty() || !std::filesystem::exists(file, error))
                return eds;
            std::fprintf(stderr,
                "pelmora: evolution-data-server has no contacts; reading %s instead\n",
                file.c_str());
        }
    }
    return std::make_unique<VCardAddressBook>(file);
}

} // namespace pelmora

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora {

// The ten phone fields of a contact, in the order the program searches them.
enum PhoneField : size_t {
    Mobile,
    Pager,
    Business,
    Home,
    Home2,
    HomeFax,
    Car,
    Business2,
    Radio,
    BusinessFax,
    kPhoneFieldCount
};
inline constexpr std::array<std::u16string_view, kPhoneFieldCount> kPhoneFieldNames = {
    u"MobileTelephoneNumber",
    u"PagerNumber",
    u"BusinessTelephoneNumber",
    u"HomeTelephoneNumber",
    u"Home2TelephoneNumber",
    u"HomeFaxNumber",
    u"CarTelephoneNumber",
    u"Business2TelephoneNumber",
    u"RadioTelephoneNumber",
    u"BusinessFaxNumber",
};

// One contact as an address book hands it over.
struct ContactCard {
    std::u16string title, firstName, middleName, lastName, suffix;
    uint32_t oid = 0; // stable, non-zero, unique
    std::array<std::u16string, kPhoneFieldCount> phones;

    bool operator==(const ContactCard&) const = default;
};

// The characters people put into phone numbers for readability, which the
// formatting-blind comparison ignores: "(", ")", space and "-". Plus signs,
// dots, slashes and letters are part of the number.
constexpr bool IsPhoneFormatting(char16_t c)
{
    return c == u'(' || c == u')' || c == u' ' || c == u'-';
}

// Removes every formatting character, wherever it stands.
void StripPhoneFormatting(std::u16string& number);

// The national number of a caller from the user's own country: what follows
// the international prefix when that prefix is a country code ("+" and more)
// and the number begins with it; empty otherwise.
std::u16string_view HomeNationalNumber(
    std::u16string_view number, std::u16string_view internationalPrefix);

// One caller's numbers alike: formatting dropped, a number from the home
// country in its national form, and the trunk zeros of a national number
// dropped ("07700 900111" and "+447700900111" with "+44" are one caller).
std::u16string CallerKey(std::u16string_view number, std::u16string_view internationalPrefix);

} // namespace pelmora

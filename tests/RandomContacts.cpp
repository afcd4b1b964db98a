#include "tests/RandomContacts.h"

namespace pelmora::test {

std::u16string RandomContacts::Digits()
{
    std::u16string digits;
    const size_t length = 1 + Below(4);
    for (size_t i = 0; i < length; ++i)
        digits += static_cast<char16_t>(u'0' + Below(3));
    return digits;
}

std::u16string RandomContacts::Reformat(std::u16string_view number)
{
    static constexpr std::u16string_view kFormatting = u"() -";
    std::u16string text;
    for (char16_t c : number) {
        if (IsPhoneFormatting(c))
            continue;
        while (Chance(20))
            text += kFormatting[Below(kFormatting.size())];
        text += c;
    }
    if (Chance(10))
        text += u' ';
    return text;
}

std::u16string RandomContacts::Number()
{
    switch (Below(12)) {
    case 0:
        return u"";
    case 1:
        return std::u16string(1 + Below(2), u'-'); // nothing but formatting
    case 2:
        return u"+" + Digits();
    case 3:
        return u"0" + Digits();
    case 4:
        return Digits() + (Chance(50) ? u"." : u"/") + Digits(); // kept by the stripping
    case 5:
        return Reformat(u"+" + Digits());
    case 6:
    case 7:
        return Reformat(Digits());
    default:
        return Digits();
    }
}

std::u16string RandomContacts::Prefix()
{
    static const std::u16string kPrefixes[] = {u"", u"+", u"+1", u"1", u"0", u"+0"};
    return kPrefixes[Below(std::size(kPrefixes))];
}

std::vector<ContactCard> RandomContacts::Book(size_t maxCards)
{
    std::vector<ContactCard> cards(Below(maxCards + 1));
    const uint32_t firstId = 1 + static_cast<uint32_t>(Below(1000));
    for (size_t i = 0; i < cards.size(); ++i) {
        ContactCard& card = cards[i];
        card.oid = firstId + static_cast<uint32_t>(i);
        card.firstName = u"F" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26));
        card.lastName = Chance(80) ? u"L" + Digits() : u"";
        for (std::u16string& phone : card.phones)
            if (Chance(30))
                phone = Number();
    }
    return cards;
}

std::u16string RandomContacts::CallingNumber(
    const std::vector<ContactCard>& cards, std::u16string_view prefix)
{
    std::vector<std::u16string_view> stored;
    for (const ContactCard& card : cards)
        for (const std::u16string& phone : card.phones)
            if (!phone.empty())
                stored.push_back(phone);
    if (stored.empty() || Chance(15))
        return Chance(90) ? Number() : u"";
    const std::u16string_view number = stored[Below(stored.size())];
    switch (Below(5)) {
    case 0:
        return Reformat(number);
    case 1:
        return std::u16string(1 + Below(2), u'0') + std::u16string(number);
    case 2:
        // A number stored in international form, called in national form.
        if (number.starts_with(prefix))
            return u"0" + std::u16string(number.substr(prefix.size()));
        return std::u16string(number);
    default:
        return std::u16string(number);
    }
}

int64_t ScanExact(
    const std::vector<ContactCard>& cards, std::u16string_view number, uint32_t fields)
{
    for (size_t position = 0; position < cards.size(); ++position)
        for (size_t field = 0; field < kPhoneFieldCount; ++field) {
            const std::u16string& stored = cards[position].phones[field];
            if ((fields & (1u << field)) && !stored.empty() && stored == number)
                return static_cast<int64_t>(position);
        }
    return -1;
}

int64_t ScanUnformatted(const std::vector<ContactCard>& cards, std::u16string a, std::u16string b)
{
    StripPhoneFormatting(a);
    StripPhoneFormatting(b);
    for (size_t position = 0; position < cards.size(); ++position)
        for (const std::u16string& phone : cards[position].phones) {
            std::u16string stored = phone;
            StripPhoneFormatting(stored);
            if (!stored.empty() && (stored == a || stored == b))
                return static_cast<int64_t>(position);
        }
    return -1;
}

int64_t ScanNational(const std::vector<ContactCard>& cards, std::u16string national)
{
    const auto bare = [](std::u16string number) {
        StripPhoneFormatting(number);
        number.erase(0, number.find_first_not_of(u'0'));
        return number;
    };
    national = bare(national);
    for (size_t position = 0; position < cards.size(); ++position)
        for (const std::u16string& phone : cards[position].phones)
            if (!national.empty() && bare(phone) == national)
                return static_cast<int64_t>(position);
    return -1;
}

} // namespace pelmora::test

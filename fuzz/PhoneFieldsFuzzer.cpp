// The filing of a contact's numbers into the ten phone fields, from the
// fields a vCard or Evolution Data Server gives: any texts and type words.
#include "fuzz/FuzzSupport.h"
#include "platform/contacts/VCardParser.h"

#include <glib.h>

#include <algorithm>

using namespace pelmora;

namespace {

// Both sources give UTF-8: a vCard file is checked to be, and so are the
// texts of Evolution Data Server; a decoded number may hold a zero byte.
bool Utf8(std::string_view text)
{
    std::string copy(text);
    std::replace(copy.begin(), copy.end(), '\0', ' ');
    return g_utf8_validate(copy.data(), static_cast<gssize>(copy.size()), nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Five name parts, then one number a line: a byte naming the field it
    // is filed in (none from 10 on), type words separated by ",", ":" and
    // the number.
    const auto pieces = fuzz::Pieces(data, size, 6);
    if (!std::all_of(pieces.begin(), pieces.end(), Utf8))
        return 0;
    VCardFields fields;
    fields.family = pieces[0];
    fields.given = pieces[1];
    fields.additional = pieces[2];
    fields.prefixes = pieces[3];
    fields.suffixes = pieces[4];
    std::string_view rest = pieces[5];
    while (!rest.empty()) {
        const size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        VCardFields::Tel tel;
        if (!line.empty()) {
            const size_t filed = static_cast<unsigned char>(line[0]) % 16;
            if (filed < kPhoneFieldCount)
                tel.filed = static_cast<PhoneField>(filed);
            line.remove_prefix(1);
        }
        const size_t colon = std::min(line.find(':'), line.size());
        AddTypeWords(tel.types, line.substr(0, colon));
        NormaliseTypes(tel.types);
        FUZZ_CHECK(std::is_sorted(tel.types.begin(), tel.types.end()));
        FUZZ_CHECK(std::adjacent_find(tel.types.begin(), tel.types.end()) == tel.types.end());
        tel.value = line.substr(std::min(colon + 1, line.size()));
        fields.tels.push_back(std::move(tel));
    }
    const size_t numbers = fields.tels.size();
    const ContactCard card = FileContactCard(fields, "fuzz", "uid");
    const auto used = static_cast<size_t>(std::count_if(card.phones.begin(), card.phones.end(),
        [](const std::u16string& phone) { return !phone.empty(); }));
    FUZZ_CHECK(used <= numbers);
    for (const std::u16string& phone : card.phones) {
        FUZZ_CHECK(phone.find(u'\0') == std::u16string::npos);
        // Cleaned: no blank at either end.
        if (!phone.empty()) {
            FUZZ_CHECK(phone.front() != u' ' && phone.front() != u'\t');
            FUZZ_CHECK(phone.back() != u' ' && phone.back() != u'\t');
        }
    }
    return 0;
}

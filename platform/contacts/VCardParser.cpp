// libebook's headers come before anything else: they use names that other
// headers define as macros.
#include <libebook-contacts/libebook-contacts.h>

#include "platform/contacts/VCardParser.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace pelmora {

namespace {

std::u16string Utf16(const char* utf8)
{
    if (!utf8 || !*utf8)
        return {};
    glong written = 0;
    gunichar2* units = g_utf8_to_utf16(utf8, -1, nullptr, &written, nullptr);
    if (!units)
        return {};
    std::u16string text(reinterpret_cast<const char16_t*>(units), static_cast<size_t>(written));
    g_free(units);
    return text;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = g_ascii_tolower(c);
    return lower;
}

// The type words of a TEL attribute, lower case, from any of the three
// forms: TYPE=a,b (also quoted, also repeated) and vCard 2.1's bare words.
std::vector<std::string> TypesOf(EVCardAttribute* attr)
{
    std::vector<std::string> types;
    auto addList = [&types](std::string_view list) {
        size_t start = 0;
        while (start <= list.size()) {
            size_t comma = list.find(',', start);
            if (comma == std::string_view::npos)
                comma = list.size();
            std::string word = Lower(list.substr(start, comma - start));
            std::erase(word, '"');
            if (!word.empty())
                types.push_back(word);
            start = comma + 1;
        }
    };
    for (GList* p = e_vcard_attribute_get_params(attr); p; p = p->next) {
        auto* param = static_cast<EVCardAttributeParam*>(p->data);
        const std::string name = Lower(e_vcard_attribute_param_get_name(param));
        GList* values = e_vcard_attribute_param_get_values(param);
        if (name == "type") {
            for (GList* v = values; v; v = v->next)
                addList(static_cast<const char*>(v->data));
        } else if (!values) {
            addList(name); // vCard 2.1: TEL;CELL;VOICE:
        }
    }
    return types;
}

bool Has(const std::vector<std::string>& types, std::string_view word)
{
    for (const std::string& type : types)
        if (type == word)
            return true;
    return false;
}

// The field a typed number belongs in; nullopt for untyped or unknown types.
std::optional<PhoneField> FieldFor(const std::vector<std::string>& types, const ContactCard& card)
{
    const bool work = Has(types, "work") || Has(types, "business");
    const bool home = Has(types, "home");
    if (Has(types, "cell") || Has(types, "mobile"))
        return Mobile;
    if (Has(types, "pager"))
        return Pager;
    if (Has(types, "car"))
        return Car;
    if (Has(types, "radio") || Has(types, "x-radio"))
        return Radio;
    if (Has(types, "fax"))
        return home && !work ? HomeFax : BusinessFax;
    if (work)
        return card.phones[Business].empty() ? Business : Business2;
    if (home)
        return card.phones[Home].empty() ? Home : Home2;
    return std::nullopt;
}

std::u16string NumberOf(EVCardAttribute* attr)
{
    GString* decoded = e_vcard_attribute_get_value_decoded(attr);
    if (!decoded)
        return {};
    std::string value(decoded->str, decoded->len);
    g_string_free(decoded, TRUE);
    // vCard 4 writes numbers as tel: URIs; their parameters are not dialled.
    if (Lower(value.substr(0, 4)) == "tel:") {
        value.erase(0, 4);
        if (const size_t semicolon = value.find(';'); semicolon != std::string::npos)
            value.erase(semicolon);
    }
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.pop_back();
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.erase(0, 1);
    return Utf16(value.c_str());
}

std::optional<ParsedCard> ParseOne(const std::string& cardText, std::string_view source)
{
    EContact* contact = e_contact_new_from_vcard(cardText.c_str());
    if (!contact)
        return std::nullopt;
    ParsedCard parsed;
    if (auto* uid = static_cast<char*>(e_contact_get(contact, E_CONTACT_UID)); uid && *uid) {
        parsed.uid = uid;
        g_free(uid);
    } else {
        g_free(uid);
        gchar* sum = g_compute_checksum_for_string(G_CHECKSUM_SHA1, cardText.c_str(), -1);
        parsed.uid = std::string("pelmora-content:") + sum;
        g_free(sum);
    }
    ReadContactCard(contact, FiledPhones {}, source, parsed.uid, parsed.card);
    g_object_unref(contact);
    return parsed;
}

bool StartsWithNoCase(std::string_view line, std::string_view word)
{
    if (line.size() < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (g_ascii_toupper(line[i]) != word[i])
            return false;
    return true;
}

} // namespace

void ReadContactCard(EContact* contact, const FiledPhones& filed, std::string_view source,
    std::string_view uid, ContactCard& card)
{
    if (auto* name = static_cast<EContactName*>(e_contact_get(contact, E_CONTACT_NAME))) {
        card.title = Utf16(name->prefixes);
        card.firstName = Utf16(name->given);
        card.middleName = Utf16(name->additional);
        card.lastName = Utf16(name->family);
        card.suffix = Utf16(name->suffixes);
        e_contact_name_free(name);
    }
    for (size_t field = 0; field < kPhoneFieldCount; ++field)
        if (filed[field])
            card.phones[field] = NumberOf(filed[field]);

    std::vector<std::u16string> untyped;
    for (GList* a = e_vcard_get_attributes(E_VCARD(contact)); a; a = a->next) {
        auto* attr = static_cast<EVCardAttribute*>(a->data);
        if (Lower(e_vcard_attribute_get_name(attr)) != "tel"
            || std::find(filed.begin(), filed.end(), attr) != filed.end())
            continue;
        std::u16string number = NumberOf(attr);
        if (number.empty())
            continue;
        const auto field = FieldFor(TypesOf(attr), card);
        if (field && card.phones[*field].empty())
            card.phones[*field] = std::move(number);
        else
            untyped.push_back(std::move(number));
    }
    // Untyped numbers, and typed ones whose field is taken, fill the free
    // fields in table order.
    for (std::u16string& number : untyped) {
        auto free = std::find_if(card.phones.begin(), card.phones.end(),
            [](const std::u16string& f) { return f.empty(); });
        if (free == card.phones.end()) {
            gchar* utf8 = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(number.c_str()),
                static_cast<glong>(number.size()), nullptr, nullptr, nullptr);
            std::fprintf(stderr,
                "pelmora: %.*s: contact %.*s: no free phone field for %s, number dropped\n",
                static_cast<int>(source.size()), source.data(), static_cast<int>(uid.size()),
                uid.data(), utf8 ? utf8 : "?");
            g_free(utf8);
            continue;
        }
        *free = std::move(number);
    }
}

std::vector<ParsedCard> ParseVCards(std::string_view text, std::string_view source)
{
    std::vector<ParsedCard> cards;
    std::string current;
    bool inCard = false;
    int skipped = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        std::string_view trimmed = line;
        while (!trimmed.empty() && (trimmed.back() == '\r' || trimmed.back() == ' '))
            trimmed.remove_suffix(1);
        if (!inCard) {
            if (StartsWithNoCase(trimmed, "BEGIN:VCARD")) {
                inCard = true;
                current.assign(trimmed);
                current += "\r\n";
            }
            continue;
        }
        current.append(line);
        if (current.back() != '\r')
            current += '\r';
        current += '\n';
        if (StartsWithNoCase(trimmed, "END:VCARD")) {
            inCard = false;
            if (g_utf8_validate(current.c_str(), -1, nullptr)) {
                if (auto card = ParseOne(current, source))
                    cards.push_back(std::move(*card));
                else
                    ++skipped;
            } else {
                ++skipped;
            }
        }
    }
    if (inCard)
        ++skipped; // a card without its END line
    if (skipped > 0)
        std::fprintf(stderr, "pelmora: %.*s: %d unreadable contact card(s) skipped\n",
            static_cast<int>(source.size()), source.data(), skipped);
    return cards;
}

} // namespace pelmora

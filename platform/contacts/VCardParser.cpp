// libebook's headers come before anything else: they use names that other
// headers define as macros.
#include <libebook-contacts/libebook-contacts.h>

#include "platform/contacts/VCardParser.h"

#include "platform/contacts/PlainVCard.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace pelmora {

namespace {

// Decoded values (base64, quoted-printable) need not be UTF-8: invalid and
// overlong sequences become U+FFFD, so an overlong blank never becomes a
// real one inside a phone number.
std::u16string Utf16(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU16String();
}

const char* OrEmpty(const char* text)
{
    return text ? text : "";
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
    auto addList = [&types](std::string_view list) { AddTypeWords(types, list); };
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

// vCard 4 writes numbers as tel: URIs; their parameters are not dialled.
std::u16string CleanNumber(std::string value)
{
    if (Lower(value.substr(0, 4)) == "tel:") {
        value.erase(0, 4);
        if (const size_t semicolon = value.find(';'); semicolon != std::string::npos)
            value.erase(semicolon);
    }
    // A zero byte ends the number; the blanks before it go too.
    value.resize(std::min(value.size(), value.find('\0')));
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.pop_back();
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.erase(0, 1);
    return Utf16(value);
}

ParsedCard Finish(VCardFields&& fields, const std::string& cardText, std::string_view source)
{
    ParsedCard parsed;
    if (!fields.uid.empty()) {
        parsed.uid = std::move(fields.uid);
    } else {
        gchar* sum = g_compute_checksum_for_string(G_CHECKSUM_SHA1, cardText.c_str(), -1);
        parsed.uid = std::string("pelmora-content:") + sum;
        g_free(sum);
    }
    parsed.card = FileContactCard(fields, source, parsed.uid);
    return parsed;
}

// A fold: a line end followed by a blank, which readers remove.
bool FoldAt(std::string_view card, size_t at)
{
    return card.substr(at, 2) == "\r\n" && at + 2 < card.size()
        && (card[at + 2] == ' ' || card[at + 2] == '\t');
}

// Where the groups ("item1." in "item1.TEL:1") of the line at `at` end, as
// libebook reads them: name characters up to the last dot before anything
// else, across folds. `at` itself when the line has none.
size_t GroupsEnd(std::string_view card, size_t at)
{
    size_t end = at;
    for (size_t pos = at; pos < card.size();) {
        if (FoldAt(card, pos)) {
            pos += 3;
        } else if (card[pos] == '.') {
            end = ++pos;
        } else if (const gunichar c = g_utf8_get_char_validated(
                       card.data() + pos, static_cast<gssize>(card.size() - pos));
                   c == '-' || c == '_' || (c < 0x110000 && g_unichar_isalnum(c))) {
            pos = static_cast<size_t>(g_utf8_next_char(card.data() + pos) - card.data());
        } else {
            break;
        }
    }
    // The name then starts on its own line rather than on a fold.
    while (end > at && FoldAt(card, end))
        end += 3;
    return end;
}

// The card without the groups of its lines. libebook loses the group of a
// line it drops ("a.:1", "a.b" without a colon) and of a line with several;
// the fields read here never depend on a group, so it is given none.
std::string WithoutGroups(std::string_view card)
{
    std::string text;
    text.reserve(card.size());
    for (size_t at = 0; at < card.size();) {
        // A folded line continues the value above it.
        if (card[at] != ' ' && card[at] != '\t') {
            const size_t groups = GroupsEnd(card, at);
            // A blank after the groups would make the line a fold; a lone dot
            // keeps it a line the library drops, as it drops the original.
            if (groups > at && groups < card.size()
                && (card[groups] == ' ' || card[groups] == '\t'))
                text += '.';
            at = groups;
        }
        const size_t end = std::min(card.find('\n', at), card.size() - 1) + 1;
        text.append(card.substr(at, end - at));
        at = end;
    }
    return text;
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

bool IsReadableCardText(std::string_view card)
{
    for (size_t cr = card.find('\r'); cr != std::string_view::npos; cr = card.find('\r', cr + 1))
        if (cr + 1 == card.size() || card[cr + 1] != '\n')
            return false;
    // With its length given, GLib takes a zero byte as invalid.
    return g_utf8_validate(card.data(), static_cast<gssize>(card.size()), nullptr);
}

ContactCard FileContactCard(VCardFields& fields, std::string_view source, std::string_view uid)
{
    ContactCard card;
    card.title = Utf16(fields.prefixes);
    card.firstName = Utf16(fields.given);
    card.middleName = Utf16(fields.additional);
    card.lastName = Utf16(fields.family);
    card.suffix = Utf16(fields.suffixes);

    // Numbers already filed first: the others must not take their fields.
    for (VCardFields::Tel& tel : fields.tels)
        if (tel.filed && *tel.filed < kPhoneFieldCount)
            card.phones[*tel.filed] = CleanNumber(std::move(tel.value));
    std::vector<std::u16string> untyped;
    for (VCardFields::Tel& tel : fields.tels) {
        if (tel.filed)
            continue;
        std::u16string number = CleanNumber(std::move(tel.value));
        if (number.empty())
            continue;
        const auto field = FieldFor(tel.types, card);
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
    return card;
}

void ReadContactFields(EContact* contact, VCardFields& fields)
{
    fields = {};
    auto* uid = static_cast<char*>(e_contact_get(contact, E_CONTACT_UID));
    fields.uid = OrEmpty(uid);
    g_free(uid);
    if (auto* name = static_cast<EContactName*>(e_contact_get(contact, E_CONTACT_NAME))) {
        fields.family = OrEmpty(name->family);
        fields.given = OrEmpty(name->given);
        fields.additional = OrEmpty(name->additional);
        fields.prefixes = OrEmpty(name->prefixes);
        fields.suffixes = OrEmpty(name->suffixes);
        e_contact_name_free(name);
    }
    for (GList* a = e_vcard_get_attributes(E_VCARD(contact)); a; a = a->next) {
        auto* attr = static_cast<EVCardAttribute*>(a->data);
        if (Lower(e_vcard_attribute_get_name(attr)) != "tel")
            continue;
        VCardFields::Tel tel;
        tel.types = TypesOf(attr);
        NormaliseTypes(tel.types);
        if (GString* decoded = e_vcard_attribute_get_value_decoded(attr)) {
            tel.value.assign(decoded->str, decoded->len);
            g_string_free(decoded, TRUE);
        }
        fields.tels.push_back(std::move(tel));
    }
}

bool ReadVCardWithLibrary(const std::string& card, VCardFields& fields)
{
    fields = {};
    EContact* contact = e_contact_new_from_vcard(WithoutGroups(card).c_str());
    if (!contact)
        return false;
    ReadContactFields(contact, fields);
    g_object_unref(contact);
    return true;
}

void ParseVCards(
    std::string_view text, std::string_view source, const std::function<void(ParsedCard&&)>& take)
{
    std::string current;
    VCardFields fields;
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
        // Every line ends in one CR LF, however many CRs the file has there.
        current.append(line);
        while (current.back() == '\r')
            current.pop_back();
        current += "\r\n";
        if (StartsWithNoCase(trimmed, "END:VCARD")) {
            inCard = false;
            if (IsReadableCardText(current)) {
                if (ReadPlainVCard(current, fields) || ReadVCardWithLibrary(current, fields))
                    take(Finish(std::move(fields), current, source));
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
}

std::vector<ParsedCard> ParseVCards(std::string_view text, std::string_view source)
{
    std::vector<ParsedCard> cards;
    ParseVCards(text, source, [&cards](ParsedCard&& card) { cards.push_back(std::move(card)); });
    return cards;
}

} // namespace pelmora

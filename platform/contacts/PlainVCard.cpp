#include "platform/contacts/PlainVCard.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace pelmora {

namespace {

bool IsAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

bool ContainsNoCase(std::string_view text, std::string_view word)
{
    const char lower = static_cast<char>(word[0] - 'A' + 'a');
    for (size_t at = 0; at + word.size() <= text.size(); ++at)
        if ((text[at] == word[0] || text[at] == lower)
            && EqualNoCase(text.substr(at, word.size()), word))
            return true;
    return false;
}

// What became of one logical line.
enum class Outcome { Next, Ignored, End, Refuse };

struct Param {
    std::string name;
    std::vector<std::string> values;
};

// The parameters after "NAME;" up to the ":", read by the general parser's
// rules: names and bare words of letters, digits, "-" and "_"; values up to
// ";", ":" or ","; quoted text taken whole. `rest` is left at the value.
// Nothing when the general parser drops the line; Refuse when this reader
// must not guess.
Outcome ReadParams(std::string_view& rest, std::vector<Param>& params)
{
    std::string text;
    std::optional<Param> param;
    bool quoted = false;
    for (size_t at = 0; at < rest.size(); ++at) {
        const char c = rest[at];
        if (static_cast<unsigned char>(c) >= 0x80)
            return Outcome::Refuse;
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted || c == '-' || c == '_' || IsAsciiAlnum(c)) {
            text += c;
        } else if (c == '=') {
            // "=" without a name, or inside another parameter's values: the
            // general parser skips, or reads on, in ways not worth copying.
            if (text.empty() || param)
                return Outcome::Refuse;
            param = Param {std::move(text), {}};
            text.clear();
        } else if (c == ';' || c == ':' || c == ',') {
            // A list of charsets sends the general parser reading on, into
            // the next line, from odd characters in its later values.
            if (c == ',' && param && EqualNoCase(param->name, "CHARSET"))
                return Outcome::Refuse;
            if (param) {
                if (!text.empty())
                    param->values.push_back(std::move(text));
                else if (param->values.empty())
                    param.reset();
                text.clear();
            } else if (!text.empty()) {
                param = Param {"TYPE", {std::move(text)}};
                text.clear();
            }
            if (param && c != ',') {
                params.push_back(std::move(*param));
                param.reset();
            }
            if (c == ':') {
                rest.remove_prefix(at + 1);
                return Outcome::Next;
            }
        } else if (param) {
            text += c;
        } else {
            // Not a parameter character: the general parser goes on reading
            // parameters from the next line.
            return Outcome::Refuse;
        }
    }
    return Outcome::Ignored; // no value: the line is dropped
}

// The value after ":", unescaped and split at ";".
Outcome ReadValues(std::string_view value, std::vector<std::string>& values)
{
    values.assign(1, std::string());
    for (size_t at = 0; at < value.size(); ++at) {
        const char c = value[at];
        if (c == ';') {
            values.emplace_back();
        } else if (c != '\\') {
            values.back() += c;
        } else if (++at == value.size()) {
            return Outcome::Refuse; // a backslash ending the line
        } else {
            switch (value[at]) {
            case 'n':
            case 'N':
                values.back() += '\n';
                break;
            case 'r':
            case 'R':
                values.back() += '\r';
                break;
            case ';':
            case ',':
            case '\\':
                values.back() += value[at];
                break;
            default:
                values.back() += '\\';
                values.back() += value[at];
                break;
            }
        }
    }
    return Outcome::Next;
}

Outcome ReadLine(std::string_view line, VCardFields& fields, bool& haveName, bool& haveUid)
{
    // Group and name: the name is what follows the last ".".
    size_t nameStart = 0, at = 0;
    for (; at < line.size() && line[at] != ':' && line[at] != ';'; ++at) {
        const char c = line[at];
        if (static_cast<unsigned char>(c) >= 0x80)
            return Outcome::Refuse;
        if (c == '.')
            nameStart = at + 1;
        else if (c != '-' && c != '_' && !IsAsciiAlnum(c))
            return Outcome::Ignored;
    }
    const std::string_view name = line.substr(nameStart, at - nameStart);
    if (at == line.size() || name.empty())
        return Outcome::Ignored;
    const bool isN = EqualNoCase(name, "N"), isTel = EqualNoCase(name, "TEL");
    const bool isUid = EqualNoCase(name, "UID"), isEnd = EqualNoCase(name, "END");
    const bool wanted = isN || isTel || isUid || isEnd;

    std::string_view rest = line.substr(at + 1);
    std::vector<Param> params;
    if (line[at] == ';') {
        // The parameters of every line, wanted or not: where the general
        // parser reads on into the next line, this reader must refuse.
        const Outcome read = ReadParams(rest, params);
        if (read == Outcome::Refuse || (wanted && read != Outcome::Next))
            return read;
    }
    if (!wanted)
        return Outcome::Next;
    for (const Param& param : params)
        if (EqualNoCase(param.name, "ENCODING") || EqualNoCase(param.name, "CHARSET")
            || (EqualNoCase(param.name, "TYPE") && !param.values.empty()
                && EqualNoCase(param.values.front(), "BASE64")))
            return Outcome::Refuse;
    std::vector<std::string> values;
    if (const Outcome read = ReadValues(rest, values); read != Outcome::Next)
        return read;

    if (isEnd)
        return Outcome::End;
    if (isN && !haveName) {
        haveName = true;
        std::string* parts[] = {
            &fields.family, &fields.given, &fields.additional, &fields.prefixes, &fields.suffixes};
        for (size_t part = 0; part < std::size(parts); ++part)
            *parts[part] = part < values.size() ? std::move(values[part]) : std::string();
    } else if (isUid && !haveUid) {
        haveUid = true;
        // Text fields come with white space at either end removed: GLib's
        // ASCII white space, which leaves out the vertical tab.
        std::string_view uid = values.front();
        const auto space
            = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; };
        while (!uid.empty() && space(uid.front()))
            uid.remove_prefix(1);
        while (!uid.empty() && space(uid.back()))
            uid.remove_suffix(1);
        fields.uid = uid;
    } else if (isTel) {
        VCardFields::Tel tel;
        for (const Param& param : params)
            if (EqualNoCase(param.name, "TYPE"))
                for (const std::string& value : param.values)
                    AddTypeWords(tel.types, value);
        NormaliseTypes(tel.types);
        tel.value = std::move(values.front());
        fields.tels.push_back(std::move(tel));
    }
    return Outcome::Next;
}

} // namespace

bool ReadPlainVCard(std::string_view card, VCardFields& fields)
{
    fields = {};
    // Quoted-printable values continue across lines without folding; control
    // characters other than white space (tab, line feed, vertical tab, form
    // feed, carriage return) are read differently by libebook in places
    // (parameters, name parts), so such cards are left to it.
    const bool control = std::any_of(card.begin(), card.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && (u < 0x09 || u > 0x0D)) || u == 0x7F;
    });
    if (control || ContainsNoCase(card, "QUOTED-PRINTABLE"))
        return false;
    bool haveName = false, haveUid = false, first = true;
    std::string joined;
    std::optional<std::string_view> logical;
    // A logical line is a line with the folded lines (starting with a space
    // or tab) that follow it; the card's first line is its BEGIN.
    auto finish = [&]() {
        if (!logical)
            return Outcome::Next;
        const std::string_view line = *logical;
        logical.reset();
        if (line.data() == joined.data() && ContainsNoCase(line, "QUOTED-PRINTABLE"))
            return Outcome::Refuse; // folded apart above
        if (std::exchange(first, false))
            return Outcome::Next;
        return ReadLine(line, fields, haveName, haveUid);
    };
    size_t at = 0;
    while (at < card.size()) {
        const size_t end = card.find('\n', at);
        if (end == std::string_view::npos || end == at || card[end - 1] != '\r')
            return false;
        const std::string_view line = card.substr(at, end - 1 - at);
        at = end + 1;
        if (line.find('\r') != std::string_view::npos)
            return false;
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            // Folded onto nothing, or onto an empty remainder: the general
            // parser drops or cuts such lines in ways not worth copying.
            if (!logical || line.size() == 1)
                return false;
            if (logical->data() != joined.data())
                joined.assign(*logical);
            joined.append(line.substr(1));
            logical = joined;
            continue;
        }
        const Outcome outcome = finish();
        if (outcome == Outcome::Refuse)
            return false;
        if (outcome == Outcome::End)
            return true;
        if (!line.empty())
            logical = line;
    }
    const Outcome outcome = finish();
    return outcome != Outcome::Refuse;
}

} // namespace pelmora

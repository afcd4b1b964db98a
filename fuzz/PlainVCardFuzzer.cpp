// One card of a vCard file, as the file reader hands it on: the fast reader
// must give exactly what the general parser (libebook) gives, or refuse.
#include "fuzz/FuzzSupport.h"
#include "platform/contacts/PlainVCard.h"
#include "platform/contacts/VCardParser.h"

#include <glib.h>

using namespace pelmora;

namespace {

void Quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) { }

bool StartsWithNoCase(std::string_view line, std::string_view word)
{
    if (line.size() < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (g_ascii_toupper(line[i]) != word[i])
            return false;
    return true;
}

// Both readings, for the report of a difference.
void Describe(const char* reader, const VCardFields& fields)
{
    std::string text = std::string(reader) + ": uid [" + fields.uid + "] n [" + fields.family + "|"
        + fields.given + "|" + fields.additional + "|" + fields.prefixes + "|" + fields.suffixes
        + "]";
    for (const VCardFields::Tel& tel : fields.tels) {
        text += " tel [" + tel.value + "]";
        for (const std::string& type : tel.types)
            text += " " + type;
    }
    __sanitizer_report_error_summary(text.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_log_set_handler("libebook-contacts", G_LOG_LEVEL_WARNING, Quiet, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The card as the file reader builds it: its BEGIN line, then each line
    // ending in one CR LF, up to the first END line.
    std::string card = "BEGIN:VCARD\r\n";
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (StartsWithNoCase(line, "END:VCARD"))
            return 0;
        card.append(line);
        while (card.back() == '\r')
            card.pop_back();
        card += "\r\n";
    }
    card += "END:VCARD\r\n";
    // What the file reader refuses reaches neither reader.
    if (!IsReadableCardText(card))
        return 0;

    VCardFields fast;
    if (!ReadPlainVCard(card, fast))
        return 0;
    VCardFields full;
    FUZZ_CHECK(ReadVCardWithLibrary(card, full));
    if (fast != full) {
        Describe("plain", fast);
        Describe("libebook", full);
    }
    FUZZ_CHECK(fast == full);
    return 0;
}

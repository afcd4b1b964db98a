// A vCard file of an address book folder: any bytes at all.
#include "fuzz/FuzzSupport.h"
#include "platform/contacts/VCardParser.h"

#include <glib.h>

#include <algorithm>

using namespace pelmora;

namespace {

void Quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) { }

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_log_set_handler("libebook-contacts", G_LOG_LEVEL_WARNING, Quiet, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t cards = 0;
    ParseVCards(text, "fuzz", [&cards](ParsedCard&& parsed) {
        ++cards;
        FUZZ_CHECK(!parsed.uid.empty());
        FUZZ_CHECK(parsed.card.oid == 0);
        for (const std::u16string& phone : parsed.card.phones)
            FUZZ_CHECK(phone.find(u'\0') == std::u16string::npos);
    });
    // Each card needs at least its BEGIN and END lines.
    FUZZ_CHECK(cards * 2 <= static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    return 0;
}

// The restriction text of the contacts stand-in's Find, which callers build
// from a caller ID the network delivered: any text at all.
#include "fuzz/FuzzSupport.h"
#include "platform/contacts/ContactFolder.h"
#include "platform/contacts/PocketOutlook.h"

using namespace pelmora;
using namespace pelmora::poom;

namespace {

// A few contacts whose numbers the restrictions of the seeds ask for.
std::shared_ptr<const ContactFolder> Folder()
{
    static const auto folder = [] {
        std::vector<ContactCard> cards(3);
        cards[0].phones[Mobile] = u"+447700900001";
        cards[1].phones[Home] = u"020 7946 0001";
        cards[1].phones[Mobile] = u"\"";
        cards[2].phones[BusinessFax] = u"1\" OR [x";
        for (size_t i = 0; i < cards.size(); ++i)
            cards[i].oid = static_cast<uint32_t>(i + 1);
        return std::make_shared<const ContactFolder>(cards);
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string input = fuzz::Utf16({reinterpret_cast<const char*>(data), size});
    const fuzz::ExactText exact(input);
    const auto clauses = ParseRestriction(exact.View());
    if (clauses) {
        // The clauses are the whole text: written out again they give it back.
        std::u16string rebuilt;
        for (const RestrictionClause& clause : *clauses) {
            FUZZ_CHECK(clause.field < kPhoneFieldCount);
            FUZZ_CHECK(clause.value.data() >= exact.View().data()
                && clause.value.data() + clause.value.size()
                    <= exact.View().data() + exact.View().size());
            if (!rebuilt.empty())
                rebuilt += u" OR ";
            rebuilt += u"[";
            rebuilt += kPhoneFieldNames[clause.field];
            rebuilt += u"] = \"";
            rebuilt += clause.value;
            rebuilt += u"\"";
        }
        FUZZ_CHECK(!clauses->empty() && rebuilt == input);
    }

    // Find takes the text up to its first zero unit; its answer is what a
    // walk over the folder would give.
    const std::u16string text = input.substr(0, input.find(u'\0'));
    IPOutlookItemCollection items(Folder());
    IContact* item = nullptr;
    const HRESULT result = items.Find(text.c_str(), &item);
    const auto parsed = ParseRestriction(text);
    if (!parsed) {
        FUZZ_CHECK(result == E_INVALIDARG && !item);
        return 0;
    }
    int64_t expected = -1;
    const CardTable& cards = Folder()->Cards();
    for (size_t at = 0; at < cards.Size() && expected < 0; ++at)
        for (const RestrictionClause& clause : *parsed)
            if (!clause.value.empty()
                && cards.Phone(at, static_cast<PhoneField>(clause.field)) == clause.value)
                expected = static_cast<int64_t>(at);
    FUZZ_CHECK((result == S_OK) == (expected >= 0));
    FUZZ_CHECK((result == S_FALSE) == (expected < 0));
    if (item) {
        int32_t oid = 0;
        FUZZ_CHECK(item->get_Oid(&oid) == S_OK && oid == expected + 1);
        item->Release();
    }
    return 0;
}

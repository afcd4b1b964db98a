#include "bench/Measure.h"
#include "bench/Section.h"
#include "messages/ContactsSession.h"
#include "platform/contacts/VCardAddressBook.h"

#include <cstdio>
#include <fstream>

namespace pelmora::bench {

namespace {

std::filesystem::path BookFile(int contacts, const std::filesystem::path& scratch)
{
    return scratch / ("contacts-" + std::to_string(contacts) + ".vcf");
}

std::u16string Utf16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// Each card holds a mobile number in international form (found in stage 2
// from its national form), a work number with spaces (found only in stage 3)
// and a home number found exactly in stage 1.
void WriteBook(int contacts, const std::filesystem::path& scratch)
{
    std::ofstream out(BookFile(contacts, scratch), std::ios::binary);
    for (int i = 0; i < contacts; ++i) {
        const int tail = 100000 + i;
        out << "BEGIN:VCARD\r\nVERSION:3.0\r\n"
            << "N:Last" << i << ";First" << i << ";;;\r\n"
            << "FN:First" << i << " Last" << i << "\r\n"
            << "UID:bench-" << i << "\r\n"
            << "TEL;TYPE=cell:+447700" << tail << "\r\n"
            << "TEL;TYPE=work:020 7946 " << tail << "\r\n"
            << "TEL;TYPE=home:01632" << tail << "\r\n"
            << "END:VCARD\r\n";
    }
}

bool Measure(int contacts, const std::filesystem::path& scratch, Results& results)
{
    VCardAddressBook book(BookFile(contacts, scratch));
    SetAddressBook(&book);
    CContactsSession session;
    results["logon.first"]
        = WallMs([&] { results["logon.first.cpu"] = CpuMs([&] { session.Logon(); }); });
    results["logon.later"] = BestMeanMs(
        [&] {
            session.Logoff();
            session.Logon();
        },
        50, 40);

    // The last card of the folder: the far end for anything that walks.
    const std::string tail = std::to_string(100000 + contacts - 1);
    const uint32_t wanted = ContactIdOfUid("bench-" + std::to_string(contacts - 1));
    struct Call {
        const char* key;
        std::u16string number;
        uint32_t expected;
    };
    const Call calls[] = {
        {"stage1", Utf16("01632" + tail), wanted},
        {"stage2", Utf16("07700" + tail), wanted},
        {"stage3", Utf16("0207946" + tail), wanted},
        {"miss", u"0999999", 0},
    };
    bool right = true;
    for (const Call& call : calls) {
        const uint32_t found = IdentifyCaller(session, call.number, u"+44").contactId;
        if (found != call.expected) {
            std::fprintf(stderr, "contacts_bench: %s at %d contacts found %u, not %u\n", call.key,
                contacts, found, call.expected);
            right = false;
        }
        results[call.key] = BestMeanMs([&] { IdentifyCaller(session, call.number, u"+44"); }, 1000);
    }
    results["folder.mib"] = static_cast<double>(book.Current()->Bytes()) / (1024.0 * 1024.0);
    session.Logoff();
    SetAddressBook(nullptr);
    results["peak.mib"] = PeakMiB();
    return right;
}

} // namespace

Section LookupSection()
{
    return {"lookup",
        {
            {"logon.first", "first logon (ms)"},
            {"logon.first.cpu", "first logon, processor (ms)"},
            {"logon.later", "later logon (ms)"},
            {"stage1", "stage-1 hit (ms)"},
            {"stage2", "stage-2 hit (ms)"},
            {"stage3", "stage-3 hit (ms)"},
            {"miss", "miss (ms)"},
            {"folder.mib", "address book in memory (MiB)"},
            {"peak.mib", "peak memory (MiB)"},
        },
        WriteBook, Measure};
}

} // namespace pelmora::bench

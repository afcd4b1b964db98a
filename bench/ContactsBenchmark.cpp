// Measures the contact lookup over vCard address books of growing size:
// the first logon (reading the cards), a later logon (unchanged source),
// IdentifyCaller for a stage-1 hit, a stage-3 hit and a miss, and the peak
// memory of the process.

#include "messages/ContactsSession.h"
#include "platform/contacts/VCardAddressBook.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

using namespace pelmora;

namespace {

double Millis(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

template <class F> double TimeMs(F&& f, int repeat = 1)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeat; ++i)
        f();
    return Millis(std::chrono::steady_clock::now() - start) / repeat;
}

void WriteBook(const std::filesystem::path& file, int count)
{
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < count; ++i) {
        out << "BEGIN:VCARD\r\nVERSION:3.0\r\n"
            << "N:Last" << i << ";First" << i << ";;;\r\n"
            << "FN:First" << i << " Last" << i << "\r\n"
            << "UID:bench-" << i << "\r\n"
            << "TEL;TYPE=cell:+44 7700 " << 100000 + i << "\r\n"
            << "TEL;TYPE=work:020 7946 " << 100000 + i << "\r\n"
            << "TEL;TYPE=home:01632" << 100000 + i << "\r\n"
            << "END:VCARD\r\n";
    }
}

} // namespace

int main()
{
    const auto dir
        = std::filesystem::temp_directory_path() / ("pelmora-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::printf("%10s %12s %12s %12s %12s %12s %10s\n", "contacts", "logon1 ms", "logon2 ms",
        "stage1 ms", "stage3 ms", "miss ms", "peak MiB");
    for (int count : {1000, 10000, 100000}) {
        const auto file = dir / ("contacts-" + std::to_string(count) + ".vcf");
        WriteBook(file, count);
        VCardAddressBook book(file);
        SetAddressBook(&book);
        CContactsSession session;
        const double first = TimeMs([&] { session.Logon(); });
        session.Logoff();
        const double later = TimeMs(
            [&] {
                session.Logon();
                session.Logoff();
            },
            20);
        session.Logon();
        const int last = count - 1;
        // Stage 1: the home number of the last card, exactly as stored.
        const std::string digits = std::to_string(100000 + last);
        const std::u16string tail(digits.begin(), digits.end());
        const std::u16string exact = u"01632" + tail;
        // Stage 3: the last card's mobile without its spaces.
        const std::u16string formatted = u"+447700" + tail;
        uint32_t found1 = 0, found3 = 0, foundMiss = 1;
        const double stage1
            = TimeMs([&] { found1 = IdentifyCaller(session, exact, u"+44").contactId; }, 50);
        const double stage3
            = TimeMs([&] { found3 = IdentifyCaller(session, formatted, u"+44").contactId; }, 5);
        const double miss
            = TimeMs([&] { foundMiss = IdentifyCaller(session, u"0999999", u"+44").contactId; }, 5);
        session.Logoff();
        SetAddressBook(nullptr);
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%10d %12.2f %12.4f %12.4f %12.2f %12.2f %10.1f%s\n", count, first, later,
            stage1, stage3, miss, usage.ru_maxrss / 1024.0,
            found1 && found3 && !foundMiss ? "" : "  (lookup results wrong!)");
    }
    std::filesystem::remove_all(dir);
    return 0;
}

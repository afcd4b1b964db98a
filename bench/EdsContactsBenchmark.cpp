// Measures the contact lookup against Evolution Data Server with address
// books of 1,000 and 10,000 contacts: filling the book through libebook, the
// first logon (connecting and reading every enabled book), a later logon,
// IdentifyCaller for a stage-1 hit, a stage-3 hit and a miss, the time until
// an edit reaches the folder, and the peak memory of the process.
//
// It never touches the user's own address book: it starts itself again
// under dbus-run-session with HOME and the XDG directories in a temporary
// folder, so the server it talks to is a private one.

// libebook's headers come before anything else: they use names that other
// headers define as macros.
#include <libebook/libebook.h>

#include "messages/ContactsSession.h"
#include "platform/contacts/EdsAddressBook.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace pelmora;

namespace {

constexpr char kMarker[] = "PELMORA_BENCH_PRIVATE_BUS";

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

// Starts this program again on a private session bus in a temporary home.
int RunOnPrivateBus(char** argv, const std::filesystem::path& home)
{
    for (const char* dir : {"", "/.local/share", "/.config", "/.cache", "/runtime"})
        std::filesystem::create_directories(home.string() + dir);
    std::filesystem::permissions(home / "runtime", std::filesystem::perms::owner_all);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
    setenv("XDG_DATA_DIRS", "/usr/local/share:/usr/share", 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    setenv(kMarker, "1", 1);
    const pid_t child = fork();
    if (child == 0) {
        execlp("dbus-run-session", "dbus-run-session", "--", argv[0], static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::filesystem::remove_all(home);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

std::string Card(int i)
{
    char text[512];
    std::snprintf(text, sizeof text,
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-%d\r\nN:Last%05d;First%05d;;;\r\n"
        "FN:First%05d Last%05d\r\nTEL;TYPE=CELL:+44 7700 %d\r\n"
        "TEL;TYPE=WORK,VOICE:020 7946 %d\r\nTEL;TYPE=HOME,VOICE:01632%d\r\nEND:VCARD\r\n",
        i, i, i, i, i, 100000 + i, 100000 + i, 100000 + i);
    return text;
}

bool Fail(const char* what, GError* error)
{
    std::fprintf(stderr, "eds_contacts_bench: %s: %s\n", what, error ? error->message : "?");
    g_clear_error(&error);
    return false;
}

// Empties the book, then adds `count` contacts in batches of 1,000.
bool Fill(EBookClient* book, int count)
{
    GError* error = nullptr;
    GSList* uids = nullptr;
    if (!e_book_client_get_contacts_uids_sync(book, "", &uids, nullptr, &error))
        return Fail("list", error);
    if (uids
        && !e_book_client_remove_contacts_sync(
            book, uids, E_BOOK_OPERATION_FLAG_NONE, nullptr, &error))
        return Fail("clear", error);
    g_slist_free_full(uids, g_free);
    for (int first = 0; first < count; first += 1000) {
        GSList* contacts = nullptr;
        for (int i = std::min(count, first + 1000) - 1; i >= first; --i)
            contacts = g_slist_prepend(contacts, e_contact_new_from_vcard(Card(i).c_str()));
        const bool added = e_book_client_add_contacts_sync(
            book, contacts, E_BOOK_OPERATION_FLAG_NONE, nullptr, nullptr, &error);
        g_slist_free_full(contacts, g_object_unref);
        if (!added)
            return Fail("add", error);
    }
    return true;
}

int Measure()
{
    GError* error = nullptr;
    const auto activation = std::chrono::steady_clock::now();
    ESourceRegistry* registry = e_source_registry_new_sync(nullptr, &error);
    if (!registry)
        return Fail("registry", error), 1;
    ESource* source = e_source_registry_ref_default_address_book(registry);
    EClient* client = e_book_client_connect_sync(source, static_cast<guint32>(-1), nullptr, &error);
    if (!client)
        return Fail("connect", error), 1;
    std::printf("server started and book connected in %.0f ms\n\n",
        Millis(std::chrono::steady_clock::now() - activation));
    EBookClient* writer = E_BOOK_CLIENT(client);

    std::printf("%10s %10s %11s %11s %11s %11s %10s %10s %9s\n", "contacts", "fill ms", "logon1 ms",
        "logon2 ms", "stage1 ms", "stage3 ms", "miss ms", "edit ms", "peak MiB");
    for (int count : {1000, 10000}) {
        const double fill = TimeMs([&] { Fill(writer, count); });
        const int last = count - 1;
        const std::string digits = std::to_string(100000 + last);
        const std::u16string tail(digits.begin(), digits.end());

        double first = 0;
        {
            CContactsSession session;
            auto book = std::make_unique<EdsAddressBook>();
            SetAddressBook(book.get());
            // The first logon waits for the first read, and no longer than
            // the backend allows; wait here first so it is not cut short.
            first = TimeMs([&] {
                book->WaitForFirstRead(std::chrono::seconds(60));
                session.Logon();
            });
            session.Logoff();
            const double later = TimeMs(
                [&] {
                    session.Logon();
                    session.Logoff();
                },
                20);
            session.Logon();
            // Stage 1: the home number of the last card, exactly as stored.
            const std::u16string exact = u"01632" + tail;
            // Stage 3: the last card's mobile without its spaces.
            const std::u16string formatted = u"+447700" + tail;
            uint32_t found1 = 0, found3 = 0, foundMiss = 1;
            const double stage1
                = TimeMs([&] { found1 = IdentifyCaller(session, exact, u"+44").contactId; }, 50);
            const double stage3
                = TimeMs([&] { found3 = IdentifyCaller(session, formatted, u"+44").contactId; }, 5);
            const double miss = TimeMs(
                [&] { foundMiss = IdentifyCaller(session, u"0999999", u"+44").contactId; }, 5);
            session.Logoff();

            // An edit made through libebook, until the folder shows it.
            EContact* contact = nullptr;
            double edit = -1;
            if (e_book_client_get_contact_sync(writer, "bench-0", &contact, nullptr, &error)) {
                e_contact_set(contact, E_CONTACT_PHONE_CAR, "0123 456");
                const auto start = std::chrono::steady_clock::now();
                if (e_book_client_modify_contact_sync(
                        writer, contact, E_BOOK_OPERATION_FLAG_NONE, nullptr, &error)) {
                    while (book->Current()->FirstWith(Car, u"0123 456") < 0
                        && Millis(std::chrono::steady_clock::now() - start) < 10000)
                        std::this_thread::sleep_for(std::chrono::microseconds(200));
                    edit = Millis(std::chrono::steady_clock::now() - start);
                }
                g_object_unref(contact);
            }
            g_clear_error(&error);
            SetAddressBook(nullptr);
            rusage usage {};
            getrusage(RUSAGE_SELF, &usage);
            std::printf("%10d %10.0f %11.1f %11.4f %11.4f %11.2f %10.2f %10.1f %9.1f%s\n", count,
                fill, first, later, stage1, stage3, miss, edit, usage.ru_maxrss / 1024.0,
                found1 && found3 && !foundMiss ? "" : "  (lookup results wrong!)");
        }
    }
    g_object_unref(writer);
    g_object_unref(source);
    g_object_unref(registry);
    return 0;
}

} // namespace

int main(int, char** argv)
{
    if (!std::getenv(kMarker))
        return RunOnPrivateBus(argv,
            std::filesystem::temp_directory_path()
                / ("pelmora-eds-bench-" + std::to_string(::getpid())));
    return Measure();
}

// Measures how long the group dialog takes to open over vCard address books
// of growing size: the whole opening (template, contact list, members
// checked, first paint) the first time (the address book is read) and later
// (unchanged address book), and the contact list's fill and the members'
// check marks on their own.

#include "messages/ContactsSession.h"
#include "platform/contacts/VCardAddressBook.h"
#include "platform/framework/Dialog.h"
#include "platform/framework/MessageBox.h"
#include "resources/Resources.h"
#include "rules/ContactListing.h"
#include "rules/GroupControls.h"
#include "rules/GroupDlg.h"
#include "rules/GroupStore.h"
#include "rules/SelectContactsListCtrl.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
            << "N:Last" << i << ";First" << i << ";;Mx.;\r\n"
            << "FN:First" << i << " Last" << i << "\r\n"
            << "UID:bench-" << i << "\r\n"
            << "TEL;TYPE=cell:+44 7700 " << 100000 + i << "\r\n"
            << "END:VCARD\r\n";
    }
}

// Every 50th contact, in list order, as a group confirmed in the dialog holds them.
std::vector<uint32_t> SomeMembers()
{
    CContactsSession session;
    session.Logon();
    const ContactListing listing = ListContacts(session);
    std::vector<uint32_t> members;
    for (size_t i = 0; i < listing.rows.size(); i += 50)
        members.push_back(listing.rows[i].contactId);
    return members;
}

// When the dialog was built and initialised, just before it is shown.
std::chrono::steady_clock::time_point g_initialised;

struct Opening {
    double total = 0; // from construction to the first paint done
    double init = 0; // construction, template and initialisation
};

// Opens the dialog, lets it paint once and closes it.
Opening OpenGroupDialog(GroupRecord& group)
{
    const auto start = std::chrono::steady_clock::now();
    CGroupDlg dialog(group, nullptr);
    dialog.DoModal();
    return {Millis(std::chrono::steady_clock::now() - start), Millis(g_initialised - start)};
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    RegisterResources();
    dlg::SetModalHandler([](dlg::CDialog& shown) {
        g_initialised = std::chrono::steady_clock::now();
        shown.show();
        QApplication::processEvents();
        shown.EndDialog(dlg::IDCANCEL);
        return dlg::IDCANCEL;
    });

    const auto dir = std::filesystem::temp_directory_path()
        / ("pelmora-group-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::printf("%10s %9s %14s %14s %14s %10s %10s\n", "contacts", "members", "first open ms",
        "later open ms", "of which init", "fill ms", "check ms");
    for (int count : {1000, 10000}) {
        const auto file = dir / ("contacts-" + std::to_string(count) + ".vcf");
        WriteBook(file, count);
        VCardAddressBook book(file);
        SetAddressBook(&book);

        GroupRecord group;
        group.SetName(u"Bench");
        const Opening first = OpenGroupDialog(group); // reads the address book
        group.members = SomeMembers();
        Opening later;
        constexpr int kRepeat = 5;
        for (int i = 0; i < kRepeat; ++i) {
            const Opening one = OpenGroupDialog(group);
            later.total += one.total / kRepeat;
            later.init += one.init / kRepeat;
        }

        CSelectContactsListCtrl list;
        list.Create(nullptr, QRect(0, 0, 228, 200));
        const double fill = TimeMs([&] { list.FillContactList(); });
        const double check = TimeMs([&] { CheckMembers(group, &list); });
        const bool whole = list.RowCount() == count;

        std::printf("%10d %9zu %14.1f %14.1f %14.1f %10.1f %10.2f%s\n", count, group.members.size(),
            first.total, later.total, later.init, fill, check,
            whole ? "" : "  (contact list incomplete!)");
        SetAddressBook(nullptr);
    }
    std::filesystem::remove_all(dir);
    return 0;
}

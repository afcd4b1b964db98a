#include "rules/GroupsDlg.h"
#include "rules/GroupsListCtrl.h"
#include "rules/ProfileCustomMsgsDlg.h"
#include "rules/ProfileEntriesListCtrl.h"
#include "rules/SelectContactMsgDlg.h"
#include "rules/SelectContactsListCtrl.h"
#include "rules/SelectGroupMsgDlg.h"
#include "tests/rules/ProfileFixture.h"
#include "ui/SaveAllTarget.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>

using namespace pelmora;
using test::ModalScript;
using test::SampleCard;

namespace {

// A profile with custom entries, edited without a main window: its saves are
// counted.
class ProfileCustomMsgsTest : public test::ProfileTest, public SaveAllTarget {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        book.Add(SampleCard(21, u"Ann", u"Lee"));
        book.Add(SampleCard(22, u"Bo", u"Diaz"));
        book.Add(SampleCard(23, u"Cy", u"Ng"));
        family = MakeGroup(u"Family", {21});
        work = MakeGroup(u"Work", {22});
        profile = AddProfile(u"Home", 1);
    }
    void SaveAll() override { ++saves; }

    // Runs the dialog on the profile; `step` acts in it as the user would.
    void InDialog(const ModalScript::Step& step)
    {
        script.Then([step](dlg::CDialog& shown) {
            step(shown);
            shown.RouteCommand(dlg::IDOK);
        });
        CProfileCustomMsgsDlg dialog(*profile, nullptr);
        dialog.mainWindow = this;
        EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    }
    static CProfileEntriesListCtrl& List(dlg::CDialog& shown)
    {
        return *static_cast<CProfileCustomMsgsDlg&>(shown).EntryList();
    }
    static void Choose(dlg::CDialog& shown, int comboId, const QString& text)
    {
        auto* combo = shown.Control<QComboBox>(comboId);
        ASSERT_NE(combo, nullptr);
        combo->setCurrentIndex(combo->findText(text));
        ASSERT_GE(combo->currentIndex(), 0) << text.toStdString();
    }
    // The group picker answered with a group and a message.
    void PickGroup(const QString& group, const QString& message)
    {
        script.Then([group, message](dlg::CDialog& shown) {
            Choose(shown, CSelectGroupMsgDlg::IDC_GROUP, group);
            Choose(shown, CSelectGroupMsgDlg::IDC_MESSAGE, message);
            shown.RouteCommand(dlg::IDOK);
        });
    }
    // The contact picker answered by finding a contact and a message.
    void PickContact(const QString& find, const QString& message)
    {
        script.Then([find, message](dlg::CDialog& shown) {
            shown.SetDlgItemText(CSelectContactMsgDlg::IDC_FIND, find.toStdU16String());
            Choose(shown, CSelectContactMsgDlg::IDC_MESSAGE, message);
            shown.RouteCommand(dlg::IDOK);
        });
    }

    ModalScript script;
    GroupRecord* family = nullptr;
    GroupRecord* work = nullptr;
    ProfileRecord* profile = nullptr;
    int saves = 0;
};

} // namespace

TEST_F(ProfileCustomMsgsTest, RowsShowTheEntriesTintedByKind)
{
    AddGroupEntry(*profile, family->id, 2);
    AddContactEntry(*profile, 22, 0);
    AddGroupEntry(*profile, 77, 3); // a group that no longer exists
    InDialog([](dlg::CDialog& shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Profile custom messages"));
        CProfileEntriesListCtrl& list = List(shown);
        ASSERT_EQ(list.RowCount(), 3);
        EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("Entry"));
        EXPECT_EQ(list.headerItem()->text(1), QStringLiteral("Message"));
        EXPECT_LE(list.columnWidth(0) + list.columnWidth(1), list.ClientWidth());
        EXPECT_EQ(list.RowText(0, 0), u"Family");
        EXPECT_EQ(list.RowText(0, 1), u"T2");
        EXPECT_EQ(list.RowText(1, 0), u"Bo Diaz");
        EXPECT_EQ(list.RowText(1, 1), u"<do not send>");
        EXPECT_EQ(list.RowText(2, 0), u"");
        EXPECT_EQ(list.RowTint(0), QColor(255, 180, 140));
        EXPECT_EQ(list.RowTint(1), QColor(160, 255, 160));
        EXPECT_EQ(list.RowTint(2), QColor(255, 180, 140));
        const QImage group = list.topLevelItem(0)->icon(0).pixmap(16, 16).toImage();
        const QImage contact = list.topLevelItem(1)->icon(0).pixmap(16, 16).toImage();
        ASSERT_FALSE(group.isNull());
        ASSERT_FALSE(contact.isNull());
        EXPECT_NE(group, contact);
        EXPECT_EQ(list.topLevelItem(2)->icon(0).pixmap(16, 16).toImage(), group);
        EXPECT_EQ(list.ProfileSection(), u"CProfileEntriesListCtrl");
    });
}

TEST_F(ProfileCustomMsgsTest, AddsGroupAndContactEntries)
{
    InDialog([this](dlg::CDialog& shown) {
        PickGroup(QStringLiteral("Work"), QStringLiteral("T3"));
        PickContact(QStringLiteral("cy"), QStringLiteral("<do not send>"));
        shown.RouteCommand(CProfileCustomMsgsDlg::IDC_ADD_GROUP_MSG);
        shown.RouteCommand(CProfileCustomMsgsDlg::IDC_ADD_CONTACT_MSG);
        CProfileEntriesListCtrl& list = List(shown);
        ASSERT_EQ(list.RowCount(), 2);
        EXPECT_EQ(list.RowText(0, 0), u"Work");
        EXPECT_EQ(list.RowText(1, 0), u"Cy Ng");
        EXPECT_EQ(list.RowText(1, 1), u"<do not send>");
    });
    ASSERT_EQ(profile->entries.size(), 2u);
    EXPECT_TRUE(profile->entries[0]->IsGroup());
    EXPECT_EQ(profile->entries[0]->targetId, static_cast<uint32_t>(work->id));
    EXPECT_EQ(profile->entries[0]->messageId, 3);
    EXPECT_FALSE(profile->entries[1]->IsGroup());
    EXPECT_EQ(profile->entries[1]->targetId, 23u);
    EXPECT_EQ(profile->entries[1]->messageId, 0);
    EXPECT_EQ(saves, 0) << "entries wait for the next save";
}

TEST_F(ProfileCustomMsgsTest, SecondGroupEntryTakesTheNewMessage)
{
    AddGroupEntry(*profile, family->id, 1);
    test::ScriptedMessageBoxes boxes;
    InDialog([this](dlg::CDialog& shown) {
        PickGroup(QStringLiteral("Family"), QStringLiteral("T3"));
        shown.RouteCommand(CProfileCustomMsgsDlg::IDC_ADD_GROUP_MSG);
        ASSERT_EQ(List(shown).RowCount(), 1);
        EXPECT_EQ(List(shown).RowText(0, 1), u"T3") << "the row shows the new message";
    });
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Group already exists");
    ASSERT_EQ(profile->entries.size(), 1u);
    EXPECT_EQ(profile->entries[0]->messageId, 3);
}

TEST_F(ProfileCustomMsgsTest, SecondContactEntryChangesNothing)
{
    AddContactEntry(*profile, 21, 1);
    test::ScriptedMessageBoxes boxes;
    InDialog([this](dlg::CDialog& shown) {
        PickContact(QStringLiteral("Ann"), QStringLiteral("T3"));
        shown.RouteCommand(CProfileCustomMsgsDlg::IDC_ADD_CONTACT_MSG);
        ASSERT_EQ(List(shown).RowCount(), 1);
        EXPECT_EQ(List(shown).RowText(0, 1), u"T1");
    });
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Contact already exists");
    ASSERT_EQ(profile->entries.size(), 1u);
    EXPECT_EQ(profile->entries[0]->messageId, 1);
}

TEST_F(ProfileCustomMsgsTest, DeleteEntryAsksByKind)
{
    AddGroupEntry(*profile, family->id, 1);
    AddContactEntry(*profile, 21, 2);
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDNO);
    boxes.Answer(dlg::IDYES);
    InDialog([](dlg::CDialog& shown) {
        CProfileEntriesListCtrl& list = List(shown);
        shown.RouteCommand(CProfileCustomMsgsDlg::IDC_DELETE_ENTRY); // nothing marked
        list.setCurrentItem(list.topLevelItem(1));
        shown.RouteCommand(CProfileCustomMsgsDlg::IDC_DELETE_ENTRY);
        EXPECT_EQ(list.RowCount(), 2) << "No keeps it";
        list.setCurrentItem(list.topLevelItem(0));
        shown.RouteCommand(CProfileCustomMsgsDlg::IDC_DELETE_ENTRY);
        ASSERT_EQ(list.RowCount(), 1);
        EXPECT_EQ(list.RowText(0, 0), u"Ann Lee");
        EXPECT_EQ(list.GetSelectionMark(), -1);
    });
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Are you sure you want to delete this contact?");
    EXPECT_EQ(boxes.Shown()[1].text, u"Are you sure you want to delete this group?");
    EXPECT_EQ(boxes.Shown()[1].title, u"Confirm");
    EXPECT_EQ(boxes.Shown()[1].buttons, dlg::MessageButtons::YesNo);
    ASSERT_EQ(profile->entries.size(), 1u);
    EXPECT_FALSE(profile->entries[0]->IsGroup());
}

TEST_F(ProfileCustomMsgsTest, TapAndHoldOffersTheEntryCommandsToTheDialog)
{
    AddGroupEntry(*profile, family->id, 1);
    AddGroupEntry(*profile, work->id, 2);
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDYES);
    std::vector<dlg::MenuItem> offered;
    InDialog([&offered](dlg::CDialog& shown) {
        CProfileEntriesListCtrl& list = List(shown);
        dlg::SetPopupMenuHandler([&offered](const std::vector<dlg::MenuItem>& items, QPoint) {
            offered = items;
            return CProfileEntriesListCtrl::ID_DELETE_ENTRY;
        });
        const QPoint point = list.visualItemRect(list.topLevelItem(1)).center();
        QContextMenuEvent event(
            QContextMenuEvent::Mouse, point, list.viewport()->mapToGlobal(point));
        QApplication::sendEvent(list.viewport(), &event);
        dlg::SetPopupMenuHandler(nullptr);
        EXPECT_EQ(list.RowCount(), 1);
    });
    std::vector<int> ids;
    for (const dlg::MenuItem& item : offered)
        ids.push_back(item.separator ? 0 : item.id);
    EXPECT_EQ(ids, (std::vector<int> {32787, 0, 3, 4, 0, 5}));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Are you sure you want to delete this group?");
    ASSERT_EQ(profile->entries.size(), 1u);
    EXPECT_EQ(profile->entries[0]->targetId, static_cast<uint32_t>(family->id));
}

TEST_F(ProfileCustomMsgsTest, GroupDeletedInTheGroupsDialogLeavesTheList)
{
    AddGroupEntry(*profile, family->id, 1);
    AddGroupEntry(*profile, work->id, 2);
    AddGroupEntry(*profile, MakeGroup(u"Club")->id, 3);
    for (const int closing : {dlg::IDOK, dlg::IDCANCEL}) {
        SCOPED_TRACE(closing);
        test::ScriptedMessageBoxes boxes;
        boxes.Answer(dlg::IDYES);
        boxes.Answer(dlg::IDYES);
        const int savesBefore = saves;
        InDialog([this, closing](dlg::CDialog& shown) {
            script.Then([this, closing](dlg::CDialog& groupsDlg) {
                CGroupsListCtrl& groups = *static_cast<CGroupsDlg&>(groupsDlg).GroupList();
                groups.setCurrentItem(groups.topLevelItem(0));
                groupsDlg.RouteCommand(CGroupsListCtrl::ID_DELETE_GROUP);
                // The entries list under the groups dialog paints at once,
                // without the freed entry.
                CProfileEntriesListCtrl& entries
                    = List(*static_cast<dlg::CDialog*>(groupsDlg.parentWidget()));
                EXPECT_EQ(entries.RowCount(), static_cast<int>(profile->entries.size()));
                EXPECT_FALSE(entries.grab().isNull());
                groupsDlg.EndDialog(closing);
            });
            const int before = List(shown).RowCount();
            shown.RouteCommand(CProfileCustomMsgsDlg::IDC_EDIT_GROUPS);
            ASSERT_EQ(List(shown).RowCount(), before - 1);
            // The rows left are entries that still exist, and they can be drawn.
            for (int row = 0; row < List(shown).RowCount(); ++row) {
                const ProfileEntry* entry = List(shown).RowEntry(row);
                ASSERT_NE(entry, nullptr);
                const GroupRecord* group = FindGroup(static_cast<int32_t>(entry->targetId));
                ASSERT_NE(group, nullptr);
                EXPECT_EQ(List(shown).RowText(row, 0), group->name.Text());
                EXPECT_TRUE(List(shown).RowTint(row).has_value());
            }
        });
        EXPECT_EQ(saves, savesBefore + 1) << "deleting a group saves at once";
    }
    ASSERT_EQ(profile->entries.size(), 1u);
    EXPECT_EQ(profile->entries[0]->messageId, 3);
}

TEST_F(ProfileCustomMsgsTest, GroupPickerRefusesUntilBothAreChosen)
{
    test::ScriptedMessageBoxes boxes;
    script.Then([](dlg::CDialog& shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Select group message"));
        EXPECT_EQ(shown.ComboGetCurSel(CSelectGroupMsgDlg::IDC_GROUP), -1);
        EXPECT_EQ(shown.ComboGetCurSel(CSelectGroupMsgDlg::IDC_MESSAGE), -1);
        EXPECT_EQ(shown.ComboGetItemText(CSelectGroupMsgDlg::IDC_MESSAGE, 0), u"<do not send>");
        shown.RouteCommand(dlg::IDOK);
        Choose(shown, CSelectGroupMsgDlg::IDC_GROUP, QStringLiteral("Work"));
        shown.RouteCommand(dlg::IDOK);
        Choose(shown, CSelectGroupMsgDlg::IDC_MESSAGE, QStringLiteral("T2"));
        shown.RouteCommand(dlg::IDOK);
    });
    CSelectGroupMsgDlg picker(nullptr);
    EXPECT_EQ(picker.DoModal(), dlg::IDOK);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, u"You must select a group");
    EXPECT_EQ(boxes.Shown()[1].text, u"You must select a message");
    EXPECT_EQ(picker.groupId, work->id);
    EXPECT_EQ(picker.templateId, 2);
}

TEST_F(ProfileCustomMsgsTest, ContactPickerRefusesUntilBothAreChosen)
{
    test::ScriptedMessageBoxes boxes;
    script.Then([](dlg::CDialog& shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Select contact message"));
        CSelectContactsListCtrl& contacts
            = *static_cast<CSelectContactMsgDlg&>(shown).ContactList();
        ASSERT_EQ(contacts.RowCount(), 3);
        EXPECT_FALSE(contacts.topLevelItem(0)->data(0, Qt::CheckStateRole).isValid())
            << "no check boxes";
        shown.RouteCommand(dlg::IDOK);
        contacts.setCurrentItem(contacts.topLevelItem(1)); // a tap on Bo
        shown.RouteCommand(dlg::IDOK);
        Choose(shown, CSelectContactMsgDlg::IDC_MESSAGE, QStringLiteral("<do not send>"));
        shown.RouteCommand(dlg::IDOK);
    });
    CSelectContactMsgDlg picker(nullptr);
    EXPECT_EQ(picker.DoModal(), dlg::IDOK);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, u"You must select a contact");
    EXPECT_EQ(boxes.Shown()[1].text, u"You must select a message");
    EXPECT_EQ(picker.contactId, 22u);
    EXPECT_EQ(picker.templateId, 0);
}

TEST_F(ProfileCustomMsgsTest, CancelledPickersAddNothing)
{
    InDialog([](dlg::CDialog& shown) {
        shown.RouteCommand(CProfileCustomMsgsDlg::IDC_ADD_GROUP_MSG);
        shown.RouteCommand(CProfileCustomMsgsDlg::IDC_ADD_CONTACT_MSG);
        EXPECT_EQ(List(shown).RowCount(), 0);
    });
    EXPECT_EQ(script.Opened(), 3);
    EXPECT_TRUE(profile->entries.empty());
}

#include "rules/GroupsDlg.h"
#include "app/MonitorDlg.h"
#include "messages/TemplateStore.h"
#include "platform/framework/PopupMenu.h"
#include "rules/GroupDlg.h"
#include "rules/GroupsListCtrl.h"
#include "rules/SelectContactsListCtrl.h"
#include "tests/TestSupport.h"
#include "tests/rules/GroupDialogsFixture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>

using namespace pelmora;
using test::ModalScript;
using test::SampleCard;

namespace {

class GroupsDlgTest : public test::GroupDialogsTest {
protected:
    void SetUp() override
    {
        GroupDialogsTest::SetUp();
        book.Add(SampleCard(21, u"Ann", u"Lee"));
        book.Add(SampleCard(22, u"Bo", u"Diaz"));
        book.Add(SampleCard(23, u"Cy", u"Ng"));
    }

    // The main window's SaveAll as the dialog sees it: counted, and writing
    // the groups and profiles so the files can be checked.
    std::function<void()> SaveAll()
    {
        return [this] {
            ++saves;
            SaveGroups(dir.Path());
            SaveProfiles(dir.Path());
        };
    }
    std::vector<uint8_t> GroupsFile() const { return test::ReadAll(dir.Path() / kGroupsFileName); }

    static CGroupsListCtrl& List(dlg::CDialog& shown)
    {
        return *static_cast<CGroupsDlg&>(shown).GroupList();
    }
    static void Tap(CGroupsListCtrl& list, int row)
    {
        const QPoint point = list.visualItemRect(list.topLevelItem(row)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, point);
    }
    static void Hold(CGroupsListCtrl& list, int row)
    {
        const QPoint point = list.visualItemRect(list.topLevelItem(row)).center();
        QContextMenuEvent event(
            QContextMenuEvent::Mouse, point, list.viewport()->mapToGlobal(point));
        QApplication::sendEvent(list.viewport(), &event);
    }

    test::ScratchDir dir;
    int saves = 0;
};

} // namespace

TEST_F(GroupsDlgTest, ListsTheGroupsInStoreOrder)
{
    GroupRecord* first = MakeGroup(u"Family");
    MakeGroup(u"Work");
    MakeGroup(u"Club");
    ModalScript script;
    script.Then([&](dlg::CDialog& shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Groups..."));
        CGroupsListCtrl& list = List(shown);
        ASSERT_EQ(list.RowCount(), 3);
        EXPECT_EQ(list.RowText(0), u"Family");
        EXPECT_EQ(list.RowText(2), u"Club");
        EXPECT_EQ(list.RowGroup(0), first);
        EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("Group name"));
        EXPECT_EQ(list.ProfileSection(), u"CGroupsListCtrl");
        EXPECT_EQ(list.RowTint(0), QColor(160, 255, 160));
        EXPECT_EQ(list.RowTint(1), std::nullopt);
        EXPECT_EQ(list.RowTint(2), QColor(160, 255, 160));
        EXPECT_EQ(list.GetSelectionMark(), -1);
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupsDlg dialog(SaveAll(), nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    EXPECT_EQ(saves, 0);
}

TEST_F(GroupsDlgTest, NewGroupJoinsTheStoreOnlyWhenConfirmed)
{
    MakeGroup(u"Old"); // id 1
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.RouteCommand(CGroupsListCtrl::ID_NEW_GROUP); // cancelled below
        EXPECT_EQ(List(shown).RowCount(), 1);
        shown.RouteCommand(CGroupsListCtrl::ID_NEW_GROUP);
        CGroupsListCtrl& list = List(shown);
        ASSERT_EQ(list.RowCount(), 2);
        EXPECT_EQ(list.RowText(1), u"Family");
        EXPECT_EQ(list.RowGroup(1), Groups().back().get());
        shown.RouteCommand(dlg::IDOK);
    });
    script.Then([](dlg::CDialog& shown) {
        EXPECT_EQ(shown.GetDlgItemText(CGroupDlg::IDC_NAME), u"");
        static_cast<CGroupDlg&>(shown).ContactList()->SetRowChecked(0, true);
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"Nobody");
        shown.RouteCommand(dlg::IDCANCEL);
    });
    script.Then([](dlg::CDialog& shown) {
        CSelectContactsListCtrl& contacts = *static_cast<CGroupDlg&>(shown).ContactList();
        contacts.SetRowChecked(2, true);
        contacts.SetRowChecked(0, true);
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"Family");
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupsDlg dialog(SaveAll(), nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    EXPECT_EQ(script.Opened(), 3);
    ASSERT_EQ(GroupCount(), 2);
    const GroupRecord& added = *Groups().back();
    EXPECT_EQ(added.id, 2);
    EXPECT_EQ(added.name.Text(), u"Family");
    EXPECT_EQ(added.members, (std::vector<uint32_t> {21, 23}));
    EXPECT_EQ(saves, 0) << "a new group waits for the next save";
}

TEST_F(GroupsDlgTest, EditAndDeleteWithNoRowPickedDoNothing)
{
    MakeGroup(u"Only");
    test::ScriptedMessageBoxes boxes;
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.RouteCommand(CGroupsListCtrl::ID_EDIT_GROUP);
        shown.RouteCommand(CGroupsListCtrl::ID_DELETE_GROUP);
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupsDlg dialog(SaveAll(), nullptr);
    dialog.DoModal();
    EXPECT_EQ(script.Opened(), 1) << "no group dialog";
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(GroupCount(), 1);
    EXPECT_EQ(saves, 0);
}

TEST_F(GroupsDlgTest, EditOnTheTappedRowRenamesItAndCancelLeavesIt)
{
    MakeGroup(u"Alpha");
    GroupRecord* beta = MakeGroup(u"Beta", {22});
    ModalScript script;
    script.Then([&](dlg::CDialog& shown) {
        shown.show();
        CGroupsListCtrl& list = List(shown);
        Tap(list, 1);
        EXPECT_EQ(list.GetSelectionMark(), 1);
        shown.RouteCommand(CGroupsListCtrl::ID_EDIT_GROUP);
        EXPECT_EQ(list.RowText(1), u"Beta") << "cancelled";
        shown.RouteCommand(CGroupsListCtrl::ID_EDIT_GROUP);
        EXPECT_EQ(list.RowText(1), u"Team");
        EXPECT_EQ(list.RowGroup(1), beta) << "the same record, edited in place";
        shown.RouteCommand(dlg::IDOK);
    });
    script.Then([](dlg::CDialog& shown) {
        EXPECT_EQ(shown.GetDlgItemText(CGroupDlg::IDC_NAME), u"Beta");
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"Changed");
        static_cast<CGroupDlg&>(shown).ContactList()->SetRowChecked(0, true);
        shown.RouteCommand(dlg::IDCANCEL);
    });
    script.Then([](dlg::CDialog& shown) {
        CSelectContactsListCtrl& contacts = *static_cast<CGroupDlg&>(shown).ContactList();
        EXPECT_TRUE(contacts.IsRowChecked(1));
        EXPECT_FALSE(contacts.IsRowChecked(0)) << "the cancelled check was not kept";
        contacts.SetRowChecked(2, true);
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"Team");
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupsDlg dialog(SaveAll(), nullptr);
    dialog.DoModal();
    EXPECT_EQ(beta->name.Text(), u"Team");
    EXPECT_EQ(beta->members, (std::vector<uint32_t> {22, 23}));
    EXPECT_EQ(beta->id, 2);
    EXPECT_EQ(saves, 0);
}

TEST_F(GroupsDlgTest, DeletingAnUnusedGroupAsksOnceAndSavesAtOnce)
{
    MakeGroup(u"Keep");
    MakeGroup(u"Drop");
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDNO);
    boxes.Answer(dlg::IDYES);
    ModalScript script;
    script.Then([&](dlg::CDialog& shown) {
        shown.show();
        CGroupsListCtrl& list = List(shown);
        Tap(list, 1);
        shown.RouteCommand(CGroupsListCtrl::ID_DELETE_GROUP);
        EXPECT_EQ(list.RowCount(), 2) << "No keeps it";
        EXPECT_EQ(saves, 0);
        shown.RouteCommand(CGroupsListCtrl::ID_DELETE_GROUP);
        EXPECT_EQ(list.RowCount(), 1);
        EXPECT_EQ(list.RowText(0), u"Keep");
        EXPECT_EQ(list.GetSelectionMark(), -1) << "no row is picked after a deletion";
        EXPECT_EQ(saves, 1);
        shown.RouteCommand(CGroupsListCtrl::ID_DELETE_GROUP);
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupsDlg dialog(SaveAll(), nullptr);
    dialog.DoModal();
    ASSERT_EQ(boxes.Shown().size(), 2u);
    for (const dlg::MessageBoxCall& call : boxes.Shown()) {
        EXPECT_EQ(call.text, u"Are you sure you want to delete this group?");
        EXPECT_EQ(call.title, u"Confirm");
        EXPECT_EQ(call.buttons, dlg::MessageButtons::YesNo);
    }
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(GroupsFile(), EncodeGroups(Groups()));
    ASSERT_EQ(GroupCount(), 1);
    EXPECT_EQ(Groups()[0]->name.Text(), u"Keep");
}

TEST_F(GroupsDlgTest, DeletingAGroupInUseAsksTwiceAndCleansEveryProfile)
{
    GroupRecord* used = MakeGroup(u"Used", {21}); // id 1
    MakeGroup(u"Other");
    ProfileRecord* home = AddProfile(u"Home", 1);
    ProfileRecord* car = AddProfile(u"Car", 1);
    AddGroupEntry(*home, used->id, 1);
    AddContactEntry(*home, static_cast<uint32_t>(used->id), 1); // same number, a contact
    AddGroupEntry(*car, used->id, 1);
    AddGroupEntry(*car, 2, 1);

    test::ScriptedMessageBoxes boxes;
    for (int answer : {dlg::IDYES, dlg::IDNO, dlg::IDYES, dlg::IDYES})
        boxes.Answer(answer);
    ModalScript script;
    script.Then([&](dlg::CDialog& shown) {
        shown.show();
        CGroupsListCtrl& list = List(shown);
        Tap(list, 0);
        shown.RouteCommand(CGroupsListCtrl::ID_DELETE_GROUP);
        EXPECT_EQ(list.RowCount(), 2) << "No to the second question keeps it";
        EXPECT_EQ(saves, 0);
        shown.RouteCommand(CGroupsListCtrl::ID_DELETE_GROUP);
        EXPECT_EQ(list.RowCount(), 1);
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupsDlg dialog(SaveAll(), nullptr);
    dialog.DoModal();
    ASSERT_EQ(boxes.Shown().size(), 4u);
    EXPECT_EQ(boxes.Shown()[1].text,
        u"The following group is in use, are you sure you want to delete it?");
    EXPECT_EQ(boxes.Shown()[1].title, u"Confirm delete");
    EXPECT_EQ(boxes.Shown()[1].buttons, dlg::MessageButtons::YesNo);
    ASSERT_EQ(home->entries.size(), 1u);
    EXPECT_FALSE(home->entries[0]->IsGroup()) << "the contact entry stays";
    ASSERT_EQ(car->entries.size(), 1u);
    EXPECT_EQ(car->entries[0]->targetId, 2u);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(GroupsFile(), EncodeGroups(Groups()));
    EXPECT_EQ(test::ReadAll(dir.Path() / kProfilesFileName), EncodeProfiles(Profiles()));
}

TEST_F(GroupsDlgTest, HoldingARowOffersTheMenuAndDeletesThatRowsGroup)
{
    MakeGroup(u"Zero");
    MakeGroup(u"One");
    MakeGroup(u"Two");
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDYES);
    std::vector<dlg::MenuItem> offered;
    dlg::SetPopupMenuHandler([&](const std::vector<dlg::MenuItem>& items, QPoint) {
        offered = items;
        return CGroupsListCtrl::ID_DELETE_GROUP;
    });
    ModalScript script;
    script.Then([&](dlg::CDialog& shown) {
        shown.show();
        CGroupsListCtrl& list = List(shown);
        Tap(list, 0); // highlighted
        Hold(list, 2);
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupsDlg dialog(SaveAll(), nullptr);
    dialog.DoModal();
    dlg::SetPopupMenuHandler(nullptr);
    ASSERT_EQ(offered.size(), 5u);
    const std::vector<std::pair<int, std::u16string>> expected = {
        {32787, u"Cancel"}, {0, u""}, {3, u"New group"}, {5, u"Edit group"}, {4, u"Delete group"}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(offered[i].separator, i == 1) << i;
        EXPECT_EQ(offered[i].id, expected[i].first) << i;
        EXPECT_EQ(offered[i].text, expected[i].second) << i;
    }
    ASSERT_EQ(GroupCount(), 2);
    EXPECT_EQ(Groups()[0]->name.Text(), u"Zero");
    EXPECT_EQ(Groups()[1]->name.Text(), u"One");
    EXPECT_EQ(saves, 1);
}

TEST_F(GroupsDlgTest, NewGroupReachesTheFileWithTheNextDeletion)
{
    MakeGroup(u"Doomed");
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDYES);
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.RouteCommand(CGroupsListCtrl::ID_NEW_GROUP);
        shown.RouteCommand(dlg::IDOK);
    });
    script.Then([](dlg::CDialog& shown) {
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"Later");
        shown.RouteCommand(dlg::IDOK);
    });
    {
        CGroupsDlg dialog(SaveAll(), nullptr);
        EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / kGroupsFileName)) << "Done saves nothing";

    script.Then([](dlg::CDialog& shown) {
        shown.show();
        Tap(List(shown), 0);
        shown.RouteCommand(CGroupsListCtrl::ID_DELETE_GROUP);
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupsDlg again(SaveAll(), nullptr);
    again.DoModal();
    GroupList reread;
    int32_t lastId = 0;
    DecodeGroups(GroupsFile(), reread, lastId);
    ASSERT_EQ(reread.size(), 1u);
    EXPECT_EQ(reread[0]->name.Text(), u"Later");
    EXPECT_EQ(reread[0]->id, 2);
}

// Tools > Groups in the main window: the dialog works on the loaded groups and
// a deletion writes all four data files.
TEST_F(GroupsDlgTest, MainWindowOpensTheGroupsAndSavesEverythingAfterADeletion)
{
    MakeGroup(u"Gone");
    MakeGroup(u"Stays");
    ASSERT_TRUE(SaveGroups(dir.Path()));
    ResetGroupStore();
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDYES);
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        ASSERT_NE(dynamic_cast<CGroupsDlg*>(&shown), nullptr);
        shown.show();
        ASSERT_EQ(List(shown).RowCount(), 2);
        Tap(List(shown), 0);
        shown.RouteCommand(CGroupsListCtrl::ID_DELETE_GROUP);
        shown.RouteCommand(dlg::IDOK);
    });
    {
        CMonitorDlg window(dir.Path());
        ASSERT_TRUE(window.Create(nullptr));
        for (const char* file : {kTemplatesFileName, kProfilesFileName, kSettingsFileName})
            std::filesystem::remove(dir.Path() / file);
        EXPECT_TRUE(window.RouteCommand(32793));
        EXPECT_EQ(script.Opened(), 1);
        for (const char* file :
            {kGroupsFileName, kTemplatesFileName, kProfilesFileName, kSettingsFileName})
            EXPECT_TRUE(std::filesystem::exists(dir.Path() / file)) << file;
        GroupList reread;
        int32_t lastId = 0;
        DecodeGroups(GroupsFile(), reread, lastId);
        ASSERT_EQ(reread.size(), 1u);
        EXPECT_EQ(reread[0]->name.Text(), u"Stays");
    }
}

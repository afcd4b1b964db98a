#include "rules/GroupDlg.h"
#include "rules/SelectContactsListCtrl.h"
#include "tests/TestSupport.h"
#include "tests/rules/GroupDialogsFixture.h"
#include "ui/AutoSIPEdit.h"

#include <QLineEdit>
#include <QTest>

using namespace pelmora;
using test::ModalScript;
using test::SampleCard;

namespace {

class GroupDlgTest : public test::GroupDialogsTest {
protected:
    void SetUp() override
    {
        GroupDialogsTest::SetUp();
        book.Add(SampleCard(11, u"Adam", u"Smith"));
        book.Add(SampleCard(12, u"Sam", u"Miller", u"Mrs."));
        book.Add(SampleCard(13, u"Bob", u"Jones"));
        book.Add(SampleCard(14, u"", u""));
        book.Add(SampleCard(15, u"Sally", u"Fox"));
        // Enough rows below the matches that a found row can reach the top.
        for (uint32_t i = 0; i < 30; ++i)
            book.Add(SampleCard(100 + i, u"Zed", u"Filler"));
        book.Add(SampleCard(16, u"Smedley", u""));
        book.Add(SampleCard(17, u"Smith", u"Jane"));
        for (uint32_t i = 0; i < 30; ++i)
            book.Add(SampleCard(200 + i, u"Zoe", u"Filler"));
    }

    static CSelectContactsListCtrl& Contacts(dlg::CDialog& shown)
    {
        return *static_cast<CGroupDlg&>(shown).ContactList();
    }
    static int RowOf(const CSelectContactsListCtrl& list, uint32_t contact)
    {
        for (int row = 0; row < list.RowCount(); ++row)
            if (list.RowContact(row) == contact)
                return row;
        return -1;
    }
    static std::vector<uint32_t> Checked(const CSelectContactsListCtrl& list)
    {
        std::vector<uint32_t> checked;
        for (int row = 0; row < list.RowCount(); ++row)
            if (list.IsRowChecked(row))
                checked.push_back(list.RowContact(row));
        return checked;
    }
};

} // namespace

TEST_F(GroupDlgTest, OpensWithTheNameAndTheMembersCheckedWhereverTheyAre)
{
    GroupRecord group;
    group.SetName(u"Club");
    group.members = {17, 12, 999};
    test::ScriptedMessageBoxes boxes;
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Group"));
        EXPECT_EQ(shown.GetDlgItemText(CGroupDlg::IDC_NAME), u"Club");
        EXPECT_EQ(shown.GetDlgItemText(CGroupDlg::IDC_NAME_LABEL), u"Group name:");
        EXPECT_EQ(shown.GetDlgItemText(CGroupDlg::IDC_FIND_LABEL), u"Find:");
        EXPECT_NE(CAutoSIPEdit::Of(shown.GetDlgItem(CGroupDlg::IDC_NAME)), nullptr);
        EXPECT_NE(CAutoSIPEdit::Of(shown.GetDlgItem(CGroupDlg::IDC_FIND)), nullptr);
        const CSelectContactsListCtrl& list = Contacts(shown);
        ASSERT_EQ(list.RowCount(), 67);
        EXPECT_EQ(list.RowText(0), u"Adam Smith ");
        EXPECT_EQ(list.RowText(1), u"Mrs. Sam Miller ");
        EXPECT_EQ(list.RowText(3), u"") << "a contact without names is an empty row";
        EXPECT_EQ(list.RowText(35), u"Smedley ");
        EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("Contact name"));
        EXPECT_EQ(Checked(list), (std::vector<uint32_t> {12, 17}));
        EXPECT_TRUE(static_cast<CGroupDlg&>(shown).KeptUnlisted().empty());
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupDlg dialog(group, nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    EXPECT_TRUE(boxes.Shown().empty()) << "a whole address book needs no warning";
    // A member no longer in the address book leaves; the rest follow the rows.
    EXPECT_EQ(group.members, (std::vector<uint32_t> {12, 17}));
    EXPECT_EQ(group.name.Text(), u"Club");
}

TEST_F(GroupDlgTest, CheckedRowsBecomeTheMembersInRowOrder)
{
    GroupRecord group;
    group.SetName(u"Work");
    group.members = {15, 11};
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        CSelectContactsListCtrl& list = Contacts(shown);
        list.SetRowChecked(RowOf(list, 15), false);
        list.SetRowChecked(RowOf(list, 16), true);
        list.SetRowChecked(RowOf(list, 14), true); // the contact without names
        list.SetRowChecked(RowOf(list, 12), true);
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"Office");
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupDlg dialog(group, nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    EXPECT_EQ(group.members, (std::vector<uint32_t> {11, 12, 14, 16}));
    EXPECT_EQ(group.name.Text(), u"Office");
}

TEST_F(GroupDlgTest, EmptyNameIsRefusedAndTheDialogStaysOpen)
{
    GroupRecord group;
    group.SetName(u"Keep");
    group.members = {13};
    test::ScriptedMessageBoxes boxes;
    ModalScript script;
    script.Then([&](dlg::CDialog& shown) {
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"");
        Contacts(shown).SetRowChecked(0, true);
        shown.RouteCommand(dlg::IDOK);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, u"Can not have an empty group name");
        EXPECT_EQ(boxes.Shown()[0].title, u"Pelmora");
        EXPECT_EQ(boxes.Shown()[0].buttons, dlg::MessageButtons::Ok);
        EXPECT_EQ(shown.result(), 0) << "still open";
        EXPECT_EQ(group.members, std::vector<uint32_t> {13}) << "nothing changed yet";
        EXPECT_EQ(group.name.Text(), u"Keep");
        // Spaces alone make a name.
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"  ");
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupDlg dialog(group, nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    EXPECT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(group.name.Text(), u"  ");
    EXPECT_EQ(group.members, (std::vector<uint32_t> {11, 13}));
}

TEST_F(GroupDlgTest, TypedNameIsStoredAsItsFirst49Characters)
{
    GroupRecord group;
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, std::u16string(50, u'n') + u"tail");
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupDlg dialog(group, nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    EXPECT_EQ(group.name.Text(), std::u16string(49, u'n'));
}

TEST_F(GroupDlgTest, CancelChangesNothing)
{
    GroupRecord group;
    group.SetName(u"Same");
    group.members = {17, 999, 12};
    const auto nameBefore = group.name;
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"Other");
        CSelectContactsListCtrl& list = Contacts(shown);
        list.SetRowChecked(RowOf(list, 17), false);
        list.SetRowChecked(0, true);
        shown.RouteCommand(dlg::IDCANCEL);
    });
    CGroupDlg dialog(group, nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDCANCEL);
    EXPECT_EQ(group.name, nameBefore);
    EXPECT_EQ(group.members, (std::vector<uint32_t> {17, 999, 12}));
}

TEST_F(GroupDlgTest, FindSelectsTheFirstRowBeginningWithTheTextAndScrollsItToTheTop)
{
    GroupRecord group;
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.show();
        CSelectContactsListCtrl& list = Contacts(shown);
        auto* find = shown.Control<QLineEdit>(CGroupDlg::IDC_FIND);
        QTest::keyClicks(find, QStringLiteral("S"));
        EXPECT_EQ(list.GetSelectionMark(), RowOf(list, 15)) << "Sally, not Mrs. Sam";
        QTest::keyClicks(find, QStringLiteral("m"));
        const int smedley = RowOf(list, 16);
        EXPECT_EQ(list.GetSelectionMark(), smedley);
        EXPECT_TRUE(list.topLevelItem(smedley)->isSelected());
        EXPECT_EQ(list.visualItemRect(list.topLevelItem(smedley)).top(), 0) << "at the top";
        QTest::keyClicks(find, QStringLiteral("I"));
        EXPECT_EQ(list.GetSelectionMark(), RowOf(list, 17)) << "case is ignored";
        QTest::keyClicks(find, QStringLiteral("q"));
        EXPECT_EQ(list.GetSelectionMark(), RowOf(list, 17)) << "no match changes nothing";
        for (int row = 0; row < list.RowCount(); ++row)
            EXPECT_FALSE(list.topLevelItem(row)->isHidden()) << row;
        shown.RouteCommand(dlg::IDCANCEL);
    });
    CGroupDlg dialog(group, nullptr);
    dialog.DoModal();
    EXPECT_EQ(script.Opened(), 1);
}

// The address book cannot be read: renaming the group must not cost it its
// members, and the user hears why they are not shown.
TEST_F(GroupDlgTest, GroupEditedWhileTheAddressBookIsUnreachableKeepsItsMembers)
{
    for (const bool logonFails : {true, false}) {
        SCOPED_TRACE(logonFails ? "logon fails" : "address book empty");
        if (logonFails)
            poom::FailContactsCall(poom::S_OK, poom::E_FAIL);
        else
            book.Clear();
        GroupRecord group;
        group.SetName(u"Family");
        group.members = {17, 12, 999};
        test::ScriptedMessageBoxes boxes;
        ModalScript script;
        script.Then([](dlg::CDialog& shown) {
            EXPECT_EQ(Contacts(shown).RowCount(), 0);
            EXPECT_EQ(static_cast<CGroupDlg&>(shown).KeptUnlisted(),
                (std::vector<uint32_t> {17, 12, 999}));
            shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"Kin");
            shown.RouteCommand(dlg::IDOK);
        });
        CGroupDlg dialog(group, nullptr);
        EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
        EXPECT_EQ(group.name.Text(), u"Kin");
        EXPECT_EQ(group.members, (std::vector<uint32_t> {17, 12, 999}));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text,
            u"Not all contacts could be read. Members that are not listed stay in the group.");
        poom::FailContactsCall(poom::S_OK, poom::S_OK);
    }
}

TEST_F(GroupDlgTest, GroupWithoutMembersOpensQuietlyWhenNothingCanBeRead)
{
    poom::FailContactsCall(poom::S_OK, poom::E_FAIL);
    GroupRecord group;
    test::ScriptedMessageBoxes boxes;
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.SetDlgItemText(CGroupDlg::IDC_NAME, u"New");
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupDlg dialog(group, nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(group.members.empty());
}

TEST_F(GroupDlgTest, PickerWithoutCheckBoxesListsTheSameRows)
{
    CSelectContactsListCtrl plain;
    plain.checkBoxFlag = 0;
    plain.Create(nullptr, QRect(0, 0, 200, 200));
    EXPECT_TRUE(plain.FillContactList());
    ASSERT_EQ(plain.RowCount(), 67);
    EXPECT_EQ(plain.RowContact(1), 12u);
    EXPECT_FALSE(plain.topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(plain.topLevelItem(0)->data(0, Qt::CheckStateRole).isValid());

    CSelectContactsListCtrl checked;
    checked.Create(nullptr, QRect(0, 0, 200, 200));
    EXPECT_EQ(checked.ProfileSection(), u"CSelectContactsListCtrl");
    checked.FillContactList();
    EXPECT_TRUE(checked.topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(checked.RowTint(0), QColor(160, 255, 160));
    EXPECT_EQ(checked.RowTint(1), std::nullopt);
}

TEST_F(GroupDlgTest, TappingAnywhereOnARowTurnsItsCheckBox)
{
    GroupRecord group;
    group.SetName(u"Tap");
    group.members = {12};
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.show();
        CSelectContactsListCtrl& list = Contacts(shown);
        auto tap = [&](int row) {
            const QRect rect = list.visualItemRect(list.topLevelItem(row));
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
        };
        tap(0);
        EXPECT_TRUE(list.IsRowChecked(0));
        tap(1);
        EXPECT_FALSE(list.IsRowChecked(1)) << "a member unchecked";
        tap(2);
        tap(2);
        EXPECT_FALSE(list.IsRowChecked(2)) << "a second tap takes it back";
        // On the box itself it turns once, too.
        const QRect box = list.visualItemRect(list.topLevelItem(4));
        QTest::mouseClick(
            list.viewport(), Qt::LeftButton, {}, QPoint(box.left() + 9, box.center().y()));
        EXPECT_TRUE(list.IsRowChecked(4));
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupDlg dialog(group, nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    EXPECT_EQ(group.members, (std::vector<uint32_t> {11, 15}));
}

#include "messages/AddEditMessagesDlg.h"
#include "messages/NewPresetDlg.h"
#include "messages/TemplateCombo.h"
#include "messages/VariableReplacementsDlg.h"
#include "platform/storage/ByteReader.h"
#include "rules/ProfileCustomMsgsDlg.h"
#include "tests/rules/ProfileFixture.h"
#include "ui/LogPage.h"

#include <QLineEdit>

using namespace pelmora;
using test::ModalScript;

namespace {

class ProfilePageTest : public test::ProfileTest {
protected:
    // Profiles "Home" (default T1), "Work" (T2) and "Night" (T3), ids 1 to 3.
    void AddThreeProfiles()
    {
        AddProfile(u"Home", 1);
        AddProfile(u"Work", 2);
        AddProfile(u"Night", 3);
    }
    static ProfileRecord* Profile(size_t index) { return Profiles().at(index).get(); }
    SettingsRecord StoredSettings() const
    {
        SettingsRecord stored;
        LoadSettings(dir.Path(), stored);
        return stored;
    }
};

struct ActiveIdCase {
    const char* name;
    int32_t storedId;
    int expectedRow;
};

class ActiveProfileAtStart : public ProfilePageTest,
                             public ::testing::WithParamInterface<ActiveIdCase> { };

} // namespace

TEST_P(ActiveProfileAtStart, SelectsTheStoredProfileOrTheFirst)
{
    AddThreeProfiles();
    settings.activeProfileId = GetParam().storedId;
    Start();
    EXPECT_EQ(ProfileCombo()->count(), 3);
    EXPECT_EQ(ProfileCombo()->currentIndex(), GetParam().expectedRow);
    EXPECT_EQ(Page().ActiveProfile(), Profile(static_cast<size_t>(GetParam().expectedRow)));
    // The template combo shows that profile's default message.
    EXPECT_EQ(
        TemplateCombo()->currentText(), QStringLiteral("T%1").arg(GetParam().expectedRow + 1));
}

INSTANTIATE_TEST_SUITE_P(Ids, ActiveProfileAtStart,
    ::testing::Values(ActiveIdCase {"Stored", 2, 1}, ActiveIdCase {"Unknown", 99, 0},
        ActiveIdCase {"None", 0, 0}, ActiveIdCase {"Last", 3, 2}),
    [](const ::testing::TestParamInfo<ActiveIdCase>& info) { return info.param.name; });

TEST_F(ProfilePageTest, TemplateComboListsDoNotSendFirst)
{
    AddThreeProfiles();
    Start();
    ASSERT_EQ(TemplateCombo()->count(), 4);
    EXPECT_EQ(TemplateCombo()->itemText(0), QStringLiteral("<do not send>"));
    EXPECT_EQ(TemplateCombo()->itemText(3), QStringLiteral("T3"));
    EXPECT_EQ(ProfileCombo()->itemText(1), QStringLiteral("Work"));
}

TEST_F(ProfilePageTest, ChosenTemplateIsTheProfilesDefaultAtOnceAndAfterARestart)
{
    AddThreeProfiles();
    Start();
    Pick(ProfileCombo(), 1);
    EXPECT_EQ(TemplateCombo()->currentText(), QStringLiteral("T2")) << "Work's own message";
    EXPECT_EQ(Profile(0)->defaultMessageId, 1) << "switching profiles stores nothing";

    PickText(TemplateCombo(), QStringLiteral("T3"));
    EXPECT_EQ(Profile(1)->defaultMessageId, 3);
    EXPECT_EQ(ReplyTextFor(0), u"Text of T3");
    Pick(ProfileCombo(), 0);
    EXPECT_EQ(TemplateCombo()->currentText(), QStringLiteral("T1"));
    Pick(ProfileCombo(), 1);

    Restart();
    EXPECT_EQ(ProfileCombo()->currentText(), QStringLiteral("Work"));
    EXPECT_EQ(TemplateCombo()->currentText(), QStringLiteral("T3"));
    EXPECT_EQ(Profile(1)->defaultMessageId, 3);
    EXPECT_EQ(Profile(0)->defaultMessageId, 1);
}

TEST_F(ProfilePageTest, DoNotSendChoiceMakesTheReplyEmpty)
{
    AddThreeProfiles();
    Start();
    EXPECT_EQ(ReplyTextFor(0), u"Text of T1");
    Pick(TemplateCombo(), 0);
    EXPECT_EQ(Profile(0)->defaultMessageId, 0);
    EXPECT_EQ(ReplyTextFor(0), u"");
}

TEST_F(ProfilePageTest, SaveAllStoresTheShownMessageBeforeWritingTheProfiles)
{
    AddThreeProfiles();
    settings.activeProfileId = 3;
    Start();
    // Shown without the user's pick (no notification): only SaveAll stores it.
    TemplateCombo()->setCurrentIndex(TemplateCombo()->findText(QStringLiteral("T1")));
    window->SaveAll();
    const std::vector<uint8_t> file = test::ReadAll(dir.Path() / kProfilesFileName);
    ASSERT_EQ(file.size(), 3u * ProfileRecord::kHeaderSize);
    ByteReader third(std::span<const uint8_t>(file).subspan(2 * ProfileRecord::kHeaderSize));
    int32_t id = 0;
    int32_t defaultMessage = 0;
    ASSERT_TRUE(third.GetI32(id) && third.Skip(40) && third.GetI32(defaultMessage));
    EXPECT_EQ(id, 3);
    EXPECT_EQ(defaultMessage, 1) << "Night's default message is now T1";
    EXPECT_EQ(StoredSettings().activeProfileId, 3);
}

TEST_F(ProfilePageTest, DeletedTemplateShowsDoNotSend)
{
    AddThreeProfiles();
    settings.activeProfileId = 2;
    Start();
    ASSERT_TRUE(DeleteTemplate(FindTemplate(2)));
    Restart();
    EXPECT_EQ(ProfileCombo()->currentText(), QStringLiteral("Work"));
    EXPECT_EQ(TemplateCombo()->currentIndex(), 0);
    EXPECT_EQ(TemplateCombo()->currentText(), QStringLiteral("<do not send>"));
}

TEST_F(ProfilePageTest, DeletingTheSelectedProfileSelectsTheFirst)
{
    AddThreeProfiles();
    settings.activeProfileId = 3;
    Start();
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDNO);
    Page().RouteCommand(CProfilePage::IDC_DELETE_PROFILE);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Are you sure you want to delete this profile?");
    EXPECT_EQ(boxes.Shown()[0].title, u"Confirm delete");
    EXPECT_EQ(boxes.Shown()[0].buttons, dlg::MessageButtons::YesNo);
    EXPECT_EQ(Profiles().size(), 3u) << "No keeps it";

    boxes.Answer(dlg::IDYES);
    Page().RouteCommand(CProfilePage::IDC_DELETE_PROFILE);
    ASSERT_EQ(Profiles().size(), 2u);
    EXPECT_EQ(Profile(1)->name.Text(), u"Work");
    EXPECT_EQ(ProfileCombo()->count(), 2);
    EXPECT_EQ(ProfileCombo()->currentIndex(), 0);
    EXPECT_EQ(TemplateCombo()->currentText(), QStringLiteral("T1")) << "Home's own message";
    EXPECT_EQ(StoredSettings().activeProfileId, 3) << "nothing saved yet";
    window->SaveAll();
    EXPECT_EQ(
        test::ReadAll(dir.Path() / kProfilesFileName).size(), 2u * ProfileRecord::kHeaderSize);
    EXPECT_EQ(StoredSettings().activeProfileId, 1);
}

TEST_F(ProfilePageTest, TheProfileAskedAboutIsDeletedWhateverBecameActiveMeanwhile)
{
    AddThreeProfiles();
    settings.activeProfileId = 3; // Night
    Start();
    test::ScriptedMessageBoxes boxes;
    // A script makes Work active while the question is open.
    boxes.Meanwhile([&] { EXPECT_TRUE(window->Session().SetActiveProfile(2, Hand::Script)); });
    boxes.Answer(dlg::IDYES);
    Page().RouteCommand(CProfilePage::IDC_DELETE_PROFILE);
    ASSERT_EQ(Profiles().size(), 2u);
    EXPECT_EQ(Profile(1)->name.Text(), u"Work") << "Night is gone";
    EXPECT_EQ(ProfileCombo()->count(), 2);
    EXPECT_EQ(ProfileCombo()->currentText(), QStringLiteral("Work")) << "still the active one";
    EXPECT_EQ(window->Session().ReadControlState().activeProfile, QStringLiteral("Work"));
    QString warning;
    EXPECT_NE(window->Session().ControlStart(warning),
        QStringLiteral("You must select a valid profile before you can continue"));
}

TEST_F(ProfilePageTest, TheOnlyProfileIsNotDeleted)
{
    AddProfile(u"Only", 1);
    Start();
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDYES);
    Page().RouteCommand(CProfilePage::IDC_DELETE_PROFILE);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
        u"You can not delete the last profile, at least one profile should exist.");
    EXPECT_EQ(boxes.Shown()[0].title, u"Profile");
    EXPECT_EQ(Profiles().size(), 1u);
    EXPECT_EQ(ProfileCombo()->count(), 1);
}

TEST_F(ProfilePageTest, AddedProfileTakesTheShownTemplateAndIsSelected)
{
    AddThreeProfiles();
    settings.activeProfileId = 1;
    Start();
    PickText(TemplateCombo(), QStringLiteral("T2"));
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("New preset"));
        shown.SetDlgItemText(CNewPresetDlg::IDC_NAME, u"An evening profile name");
        shown.RouteCommand(dlg::IDOK);
    });
    Page().RouteCommand(CProfilePage::IDC_ADD_PROFILE);
    EXPECT_EQ(script.Opened(), 1);
    ASSERT_EQ(Profiles().size(), 4u);
    ProfileRecord* added = Profile(3);
    EXPECT_EQ(added->name.Text(), u"An evening profile n") << "cut to 20";
    EXPECT_EQ(added->id, 4);
    EXPECT_EQ(added->defaultMessageId, 2);
    EXPECT_EQ(Page().ActiveProfile(), added);
    EXPECT_EQ(ProfileCombo()->currentText(), QStringLiteral("An evening profile n"));
    EXPECT_EQ(TemplateCombo()->currentText(), QStringLiteral("T2"));
    // Saved at once, while the previous profile was still the active one.
    EXPECT_EQ(
        test::ReadAll(dir.Path() / kProfilesFileName).size(), 4u * ProfileRecord::kHeaderSize);
    EXPECT_EQ(StoredSettings().activeProfileId, 1);
}

TEST_F(ProfilePageTest, AddIsRefusedWhenNoProfileIdIsLeft)
{
    AddProfile(u"Last", 1)->id = INT32_MAX;
    Start();
    test::ScriptedMessageBoxes boxes;
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.SetDlgItemText(CNewPresetDlg::IDC_NAME, u"Another");
        shown.RouteCommand(dlg::IDOK);
    });
    Page().RouteCommand(CProfilePage::IDC_ADD_PROFILE);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
        u"The profile could not be added: no more profile ids are available.");
    EXPECT_EQ(Profiles().size(), 1u);
    EXPECT_EQ(ProfileCombo()->count(), 1);
}

TEST_F(ProfilePageTest, CancelledNameAddsNoProfile)
{
    AddThreeProfiles();
    Start();
    ModalScript script; // cancels
    Page().RouteCommand(CProfilePage::IDC_ADD_PROFILE);
    EXPECT_EQ(script.Opened(), 1);
    EXPECT_EQ(Profiles().size(), 3u);
    EXPECT_EQ(ProfileCombo()->count(), 3);
}

TEST_F(ProfilePageTest, WithoutProfilesStartAndCustomAreRefusedButAddWorks)
{
    AddProfile(u"Only", 1);
    Start();
    window.reset();
    // A file cut inside its first record: there, but no whole profile in it.
    test::WriteAll(dir.Path() / kProfilesFileName, {1, 0, 0});
    test::ScriptedMessageBoxes boxes;
    Restart(false);
    EXPECT_EQ(ProfileCombo()->count(), 0);
    EXPECT_EQ(Page().ActiveProfile(), nullptr);
    EXPECT_EQ(ReplyTextFor(0), u"");
    EXPECT_FALSE(Page().ValidateBeforeStart());
    Page().RouteCommand(CProfilePage::IDC_SET_CUSTOM);
    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_NE(boxes.Shown()[0].text.find(u"0 whole profiles"), std::u16string::npos);
    EXPECT_EQ(boxes.Shown()[1].text, u"You must select a valid profile before you can continue");
    EXPECT_EQ(boxes.Shown()[1].title, u"Select profile");
    EXPECT_EQ(boxes.Shown()[2].text, u"You should select a profile first");
    EXPECT_EQ(boxes.Shown()[2].title, dlg::AppTitle());
    Page().StoreActiveProfileId();
    EXPECT_EQ(window->settings.activeProfileId, 0);

    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.SetDlgItemText(CNewPresetDlg::IDC_NAME, u"Fresh");
        shown.RouteCommand(dlg::IDOK);
    });
    Page().RouteCommand(CProfilePage::IDC_ADD_PROFILE);
    EXPECT_EQ(ProfileCombo()->currentText(), QStringLiteral("Fresh"));
    EXPECT_TRUE(Page().ValidateBeforeStart());
}

TEST_F(ProfilePageTest, StartStoresTheShownMessage)
{
    AddThreeProfiles();
    Start();
    TemplateCombo()->setCurrentIndex(0);
    test::ScriptedMessageBoxes boxes;
    EXPECT_TRUE(Page().ValidateBeforeStart());
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(Profile(0)->defaultMessageId, 0);
}

TEST_F(ProfilePageTest, OpensItsDialogsAndRefreshesTemplatesAfterTheEditor)
{
    AddThreeProfiles();
    Start();
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        EXPECT_NE(dynamic_cast<CProfileCustomMsgsDlg*>(&shown), nullptr);
        shown.RouteCommand(dlg::IDOK);
    });
    script.Then([](dlg::CDialog& shown) {
        EXPECT_NE(dynamic_cast<CVariableReplacementsDlg*>(&shown), nullptr);
        shown.EndDialog(dlg::IDCANCEL);
    });
    script.Then([](dlg::CDialog& shown) {
        // The editor deletes the shown template, saves everything as it does
        // after a deletion, and is closed.
        auto* editor = dynamic_cast<CAddEditMessagesDlg*>(&shown);
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(DeleteTemplate(FindTemplate(1)));
        editor->mainWindow->SaveAll();
        shown.EndDialog(dlg::IDCANCEL);
    });
    Page().RouteCommand(CProfilePage::IDC_SET_CUSTOM);
    Page().RouteCommand(CProfilePage::IDC_VARIABLES);
    Page().RouteCommand(CProfilePage::IDC_EDIT_MESSAGES);
    EXPECT_EQ(script.Opened(), 3);
    ASSERT_EQ(TemplateCombo()->count(), 3) << "the deleted template is no longer listed";
    EXPECT_EQ(TemplateCombo()->currentText(), QStringLiteral("<do not send>"));
    EXPECT_EQ(SelectedTemplateId(dlg::CComboBox(TemplateCombo())), 0);
    EXPECT_EQ(Profile(0)->defaultMessageId, 0);
    const std::vector<uint8_t> file = test::ReadAll(dir.Path() / kProfilesFileName);
    ByteReader home(file);
    int32_t defaultMessage = -1;
    ASSERT_TRUE(home.Skip(44) && home.GetI32(defaultMessage));
    EXPECT_EQ(defaultMessage, 0) << "the save during the editor keeps the deletion";
}

TEST_F(ProfilePageTest, OtherCommandsGoOnToTheMainWindow)
{
    AddThreeProfiles();
    Start();
    test::ScriptedMessageBoxes boxes;
    EXPECT_TRUE(Page().RouteCommand(CMonitorDlg::ID_FILE_SAVE));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Settings saved...");
    EXPECT_EQ(window->ProfilePage(), window->Page(1));
}

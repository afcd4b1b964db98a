#include "app/MonitorDlg.h"
#include "app/MainMenuBar.h"
#include "messages/MainPage.h"
#include "messages/TemplateStore.h"
#include "messages/VariableReplacementsDlg.h"
#include "platform/framework/ScreenModel.h"
#include "platform/storage/DataFile.h"
#include "platform/telephony/SimulatedLine.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "tests/TestSupport.h"
#include "ui/LogListCtrl.h"
#include "ui/LogPage.h"
#include "ui/PageTabCtrl.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

// A text as the files hold it: UTF-16LE from `offset`.
void PutText(std::vector<uint8_t>& bytes, size_t offset, std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[offset + 2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
        bytes[offset + 2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
    }
}

} // namespace

TEST(MonitorDlgFrame, ShowsTheFiveTabsAndFollowsRotation)
{
    test::ScratchDir dir;
    CMonitorDlg dialog(dir.Path());
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Pelmora"));
    CPageTabCtrl* tabs = dialog.Tabs();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->GetItemCount(), 5);
    const QStringList captions = {QStringLiteral("Main"), QStringLiteral("Profile"),
        QStringLiteral("Log"), QStringLiteral("Rules"), QStringLiteral("About...")};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(tabs->Bar()->tabText(i), captions[i]);
    // The menu bar sits above the screen-sized page area.
    ASSERT_NE(dialog.MenuBar(), nullptr);
    const int menuHeight = dialog.MenuBar()->height();
    EXPECT_GT(menuHeight, 0);
    EXPECT_EQ(tabs->geometry(), QRect(0, menuHeight, 240, 320));
    EXPECT_EQ(dialog.size(), QSize(240, 320 + menuHeight));

    dlg::ScreenModel::Instance().Rotate();
    EXPECT_EQ(dialog.size(), QSize(320, 240 + menuHeight));
    EXPECT_EQ(tabs->size(), QSize(320, 240));
    dlg::ScreenModel::Instance().Rotate();
    EXPECT_EQ(tabs->size(), QSize(240, 320));
}

TEST(MonitorDlgFrame, EscapeAndTheCloseButtonNeverEndTheProgram)
{
    // The close button asks whether to hide while monitoring is off; No keeps
    // the window up.
    test::ScriptedMessageBoxes boxes;
    test::ScratchDir dir;
    ResetTemplateStore();
    ResetProfileStore();
    ResetGroupStore();
    CMonitorDlg dialog(dir.Path());
    struct Seen {
        bool visible;
        int result;
    };
    std::vector<Seen> seen;
    dlg::SetModalHandler([&](dlg::CDialog& shown) {
        shown.show();
        dialog.SelectPage(2);
        QTest::keyClick(dialog.LogList(), Qt::Key_Escape);
        seen.push_back({shown.isVisible(), shown.result()});
        QTest::keyClick(&shown, Qt::Key_Escape);
        seen.push_back({shown.isVisible(), shown.result()});
        EXPECT_FALSE(shown.close()) << "the close button is refused";
        seen.push_back({shown.isVisible(), shown.result()});

        // A modal dialog over the window still ends on Escape.
        SettingsRecord settings;
        CVariableReplacementsDlg variables(settings, dialog.Page(2));
        dlg::SetModalHandler([](dlg::CDialog& inner) {
            inner.show();
            QTest::keyClick(&inner, Qt::Key_Escape);
            return inner.result();
        });
        EXPECT_EQ(variables.DoModal(), dlg::IDCANCEL);
        return 0;
    });
    dialog.DoModal();
    dlg::SetModalHandler(nullptr);
    ASSERT_EQ(seen.size(), 3u);
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_TRUE(seen[i].visible) << i;
        EXPECT_EQ(seen[i].result, 0) << i;
    }
    ResetTemplateStore();
    ResetProfileStore();
    ResetGroupStore();
}

TEST(MonitorDlgSettings, LoadsAtStartAndSavesWhenDestroyed)
{
    test::ScratchDir dir;
    SettingsRecord stored;
    stored.maxTotal = 42;
    ASSERT_TRUE(SaveSettings(dir.Path(), stored));
    {
        CMonitorDlg dialog(dir.Path());
        ASSERT_TRUE(dialog.Create(nullptr));
        EXPECT_EQ(dialog.settings.maxTotal, 42);
        dialog.settings.removeSpaceAfterEmpty = 0;
    }
    SettingsRecord reloaded;
    LoadSettings(dir.Path(), reloaded);
    EXPECT_EQ(reloaded.maxTotal, 42);
    EXPECT_EQ(reloaded.removeSpaceAfterEmpty, 0);
}

TEST(MonitorDlgSettings, WindowThatNeverLoadedWritesNothing)
{
    test::ScratchDir dir;
    {
        CMonitorDlg dialog(dir.Path());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / kSettingsFileName));
}

// A window whose template yields no tab control.
class WindowWithoutTabs final : public CMonitorDlg {
public:
    using CMonitorDlg::CMonitorDlg;
    void TakeAwayTheTabs()
    {
        SetControlFactory(1001, [](QWidget* parent) { return new QWidget(parent); });
    }
};

TEST(MonitorDlgSettings, WindowWithoutItsTabControlEndsAndLeavesTheFilesAsTheyWere)
{
    test::ScratchDir dir;
    SettingsRecord stored;
    stored.maxTotal = 42;
    ASSERT_TRUE(SaveSettings(dir.Path(), stored));
    const std::vector<uint8_t> before = test::ReadAll(dir.Path() / kSettingsFileName);
    {
        WindowWithoutTabs dialog(dir.Path());
        dialog.TakeAwayTheTabs();
        ASSERT_TRUE(dialog.Create(nullptr));
        EXPECT_TRUE(dialog.EndedAtStart());
        EXPECT_EQ(dialog.MainPage(), nullptr);
    }
    EXPECT_EQ(test::ReadAll(dir.Path() / kSettingsFileName), before);
    ResetTemplateStore();
    ResetProfileStore();
    ResetGroupStore();
}

TEST(MonitorDlgSettings, FirstRunWritesTheDefaultTemplateAndSettings)
{
    test::ScratchDir dir;
    ResetTemplateStore();
    ResetProfileStore();
    ResetGroupStore();
    {
        CMonitorDlg dialog(dir.Path());
        ASSERT_TRUE(dialog.Create(nullptr));
        ASSERT_EQ(Templates().size(), 1u);
    }
    EXPECT_TRUE(Templates().empty()) << "freed with the window";

    // The settings: the defaults and nothing else; the reserved bytes zero.
    std::vector<uint8_t> settings(1900, 0);
    settings[0] = 1; // version
    settings[8] = 20; // maxTotal
    PutText(settings, 114, u"Friend");
    settings[1232] = 1; // excludeInternational
    settings[1848] = 1; // clearLogEachStart
    settings[1852] = 1; // removeSpaceAfterEmpty
    const std::vector<uint8_t> saved = test::ReadAll(dir.Path() / kSettingsFileName);
    ASSERT_EQ(saved.size(), 1900u);
    // Bytes 1892..1895 hold the active profile's id, which the Profile page writes.
    for (size_t i = 0; i < saved.size(); ++i) {
        if (i < 1892 || i >= 1896) {
            ASSERT_EQ(saved[i], settings[i]) << "byte " << i;
        }
    }

    // One template "Default" with id 1, one profile "Default" answering with it.
    std::vector<uint8_t> templates(368, 0);
    templates[0] = 1;
    PutText(templates, 4, u"Default");
    PutText(templates, 46, kDefaultTemplateText);
    EXPECT_EQ(test::ReadAll(dir.Path() / kTemplatesFileName), templates);
    std::vector<uint8_t> profiles(52, 0);
    profiles[0] = 1;
    PutText(profiles, 4, u"Default");
    profiles[44] = 1;
    EXPECT_EQ(test::ReadAll(dir.Path() / kProfilesFileName), profiles);
    EXPECT_EQ(test::ReadAll(dir.Path() / kGroupsFileName), (std::vector<uint8_t> {0, 0, 0, 0}));
    ResetTemplateStore();
    ResetProfileStore();
}

TEST(MonitorDlgSettings, SaveAllWritesGroupsTemplatesProfilesThenSettings)
{
    test::ScratchDir dir;
    ResetTemplateStore();
    ResetProfileStore();
    ResetGroupStore();
    std::vector<std::string> saved;
    {
        CMonitorDlg dialog(dir.Path());
        ASSERT_TRUE(dialog.Create(nullptr));
        SetSaveObserver(
            [&](const std::filesystem::path& path) { saved.push_back(path.filename().string()); });
        dialog.SaveAll();
        SetSaveObserver(nullptr);
    }
    EXPECT_EQ(saved,
        (std::vector<std::string> {
            kGroupsFileName, kTemplatesFileName, kProfilesFileName, kSettingsFileName}));
    ResetTemplateStore();
    ResetProfileStore();
}

namespace {

class MonitorDlgLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTemplateStore();
        ResetProfileStore();
        ResetGroupStore();
        SetTelephonyBackend(&line);
        ASSERT_TRUE(dialog.Create(nullptr));
        list = dialog.LogList();
        ASSERT_NE(list, nullptr);
        list->AppendCall(u"0111", u"", u"", 1, u"No");
        list->AppendCall(u"0222", u"", u"", 2, u"Yes");
    }
    void TearDown() override
    {
        SetTelephonyBackend(nullptr);
        ResetTemplateStore();
        ResetProfileStore();
    }
    test::ScratchDir dir;
    SimulatedLine line;
    CMonitorDlg dialog {dir.Path()};
    CLogListCtrl* list = nullptr;
};

} // namespace

TEST_F(MonitorDlgLog, ClearAllAsksFirst)
{
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(dlg::IDNO);
    dialog.LogPage()->RouteCommand(CLogPage::IDC_CLEAR_ALL);
    EXPECT_EQ(list->RowCount(), 2);
    boxes.Answer(dlg::IDYES);
    dialog.LogPage()->RouteCommand(CLogPage::IDC_CLEAR_ALL);
    EXPECT_EQ(list->RowCount(), 0);
    boxes.Answer(dlg::IDYES);
    dialog.LogPage()->RouteCommand(CLogPage::IDC_CLEAR_ALL);
    ASSERT_EQ(boxes.Shown().size(), 3u) << "an empty log still asks";
    EXPECT_EQ(boxes.Shown()[0].text, u"Are you sure you want to clear all calls log?");
    EXPECT_EQ(boxes.Shown()[0].title, u"Confirm clear");
    EXPECT_EQ(boxes.Shown()[0].buttons, dlg::MessageButtons::YesNo);
}

TEST_F(MonitorDlgLog, DeleteEntryNeedsASelectionMarkAndAYes)
{
    test::ScriptedMessageBoxes boxes;
    EXPECT_EQ(dialog.LogPage()->UpdateCommand(CLogListCtrl::ID_DELETE_ENTRY), false);
    dialog.LogPage()->RouteCommand(CLogListCtrl::ID_DELETE_ENTRY);
    EXPECT_TRUE(boxes.Shown().empty()) << "no mark: nothing happens";
    list->SetSelectionMark(1);
    EXPECT_EQ(dialog.LogPage()->UpdateCommand(CLogListCtrl::ID_DELETE_ENTRY), true);
    boxes.Answer(dlg::IDYES);
    dialog.LogPage()->RouteCommand(CLogListCtrl::ID_DELETE_ENTRY);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Are you sure you want to delete this individual entry?");
    EXPECT_EQ(boxes.Shown()[0].title, u"Confirm delete");
    ASSERT_EQ(list->RowCount(), 1);
    EXPECT_EQ(list->RowText(0, CLogListCtrl::Number), u"0111");
}

TEST_F(MonitorDlgLog, DeleteEntryDeletesTheRowAskedAboutWhenRowsMoveMeanwhile)
{
    test::ScriptedMessageBoxes boxes;
    list->SetSelectionMark(1);
    // The first row goes (aged out) while the question is open.
    boxes.Meanwhile([&] { list->RemoveRow(0); });
    boxes.Answer(dlg::IDYES);
    dialog.LogPage()->RouteCommand(CLogListCtrl::ID_DELETE_ENTRY);
    EXPECT_EQ(list->RowCount(), 0) << "the row asked about went, not a neighbour";
}

TEST_F(MonitorDlgLog, CallNumberDialsTheMarkedRow)
{
    dialog.LogPage()->RouteCommand(CLogListCtrl::ID_CALL_NUMBER);
    EXPECT_TRUE(line.DialRequests().empty());
    list->SetSelectionMark(1);
    dialog.LogPage()->RouteCommand(CLogListCtrl::ID_CALL_NUMBER);
    EXPECT_EQ(line.DialRequests(), std::vector<std::u16string> {u"0222"});
}

TEST_F(MonitorDlgLog, LogOptionsGoToAndFromTheSettings)
{
    EXPECT_EQ(dialog.LogPage()->AgeIndex(), 0);
    EXPECT_TRUE(dialog.LogPage()->ClearEverySession());
    dialog.LogPage()->ComboSetCurSel(CLogPage::IDC_AGE, 5);
    dialog.LogPage()->CheckDlgButton(CLogPage::IDC_CLEAR_SESSION, 0);
    dialog.SaveAll();
    SettingsRecord saved;
    LoadSettings(dir.Path(), saved);
    EXPECT_EQ(saved.logMaxAgeIndex, 5);
    EXPECT_EQ(saved.clearLogEachStart, 0);
}

TEST(MonitorDlgSettings, MainPageFieldsRoundTripThroughTheSettingsFile)
{
    test::ScratchDir dir;
    ResetTemplateStore();
    ResetProfileStore();
    ResetGroupStore();
    SettingsRecord stored;
    stored.maxPerCallerIndex = 4;
    stored.maxTotal = 7;
    stored.ringsBeforeSendIndex = 20;
    stored.hangupIndex = 21;
    stored.interactive = 1;
    ASSERT_TRUE(SaveSettings(dir.Path(), stored));
    {
        CMonitorDlg dialog(dir.Path());
        ASSERT_TRUE(dialog.Create(nullptr));
        CMainPage* page = dialog.MainPage();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->ComboGetItemText(CMainPage::IDC_MAX_PER_CALLER,
                      page->ComboGetCurSel(CMainPage::IDC_MAX_PER_CALLER)),
            u"5");
        EXPECT_EQ(page->GetDlgItemText(CMainPage::IDC_MAX_TOTAL), u"7");
        EXPECT_EQ(page->ComboGetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND), 20);
        EXPECT_EQ(page->ComboGetCurSel(CMainPage::IDC_HANGUP_RINGS), 21);
        EXPECT_EQ(page->IsDlgButtonChecked(CMainPage::IDC_INTERACTIVE), 1);

        page->ComboSetCurSel(CMainPage::IDC_MAX_PER_CALLER, 0);
        page->SetDlgItemText(CMainPage::IDC_MAX_TOTAL, u"150");
        page->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, 3);
        page->ComboSetCurSel(CMainPage::IDC_HANGUP_RINGS, 1);
        page->CheckDlgButton(CMainPage::IDC_INTERACTIVE, 0);
        dialog.SaveAll();
    }
    // The controls' values, at their places in the file.
    const std::vector<uint8_t> file = test::ReadAll(dir.Path() / kSettingsFileName);
    ASSERT_EQ(file.size(), SettingsRecord::kSize);
    const auto at = [&file](size_t offset) {
        return static_cast<int32_t>(
            file[offset] | file[offset + 1] << 8 | file[offset + 2] << 16 | file[offset + 3] << 24);
    };
    EXPECT_EQ(at(settings_offset::maxPerCallerIndex), 0);
    EXPECT_EQ(at(settings_offset::maxTotal), 150);
    EXPECT_EQ(at(settings_offset::ringsBeforeSendIndex), 3);
    EXPECT_EQ(at(settings_offset::hangupIndex), 1);
    EXPECT_EQ(at(settings_offset::interactive), 0);

    CMonitorDlg again(dir.Path());
    ASSERT_TRUE(again.Create(nullptr));
    EXPECT_EQ(again.MainPage()->GetDlgItemText(CMainPage::IDC_MAX_TOTAL), u"150");
    EXPECT_EQ(again.MainPage()->ComboGetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND), 3);
    ResetTemplateStore();
    ResetProfileStore();
}

TEST(MonitorDlgSettings, IndexOutOfItsListLeavesNoSelectionAndIsSavedAsNone)
{
    test::ScratchDir dir;
    ResetTemplateStore();
    ResetProfileStore();
    ResetGroupStore();
    SettingsRecord stored;
    stored.hangupIndex = 22;
    stored.maxPerCallerIndex = -3;
    ASSERT_TRUE(SaveSettings(dir.Path(), stored));
    {
        CMonitorDlg dialog(dir.Path());
        ASSERT_TRUE(dialog.Create(nullptr));
        EXPECT_EQ(dialog.MainPage()->ComboGetCurSel(CMainPage::IDC_HANGUP_RINGS), -1);
        EXPECT_EQ(dialog.MainPage()->ComboGetCurSel(CMainPage::IDC_MAX_PER_CALLER), -1);
        dialog.MainPage()->SetDlgItemText(CMainPage::IDC_MAX_TOTAL, u"");
    }
    SettingsRecord saved;
    LoadSettings(dir.Path(), saved);
    EXPECT_EQ(saved.hangupIndex, -1);
    EXPECT_EQ(saved.maxPerCallerIndex, -1);
    EXPECT_EQ(saved.maxTotal, 0) << "an empty field is not a number";
    ResetTemplateStore();
    ResetProfileStore();
}

namespace {

class MonitorDlgFiles : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        ResetTemplateStore();
        ResetProfileStore();
        ResetGroupStore();
    }
    std::filesystem::path File(const char* name) const { return dir.Path() / name; }
    QString Path(const char* name) const { return QString::fromStdString(File(name).string()); }

    test::ScratchDir dir;
    test::ScriptedMessageBoxes boxes;
};

} // namespace

TEST_F(MonitorDlgFiles, ADamagedFileIsToldOfOnceAtStartAndKeptAside)
{
    AppendTemplate(u"Kept", u"a text");
    ASSERT_TRUE(SaveTemplates(dir.Path()));
    Reset();
    std::vector<uint8_t> damaged = test::ReadAll(File(kTemplatesFileName));
    damaged.push_back(0);
    test::WriteAll(File(kTemplatesFileName), damaged);
    {
        CMonitorDlg dialog(dir.Path());
        ASSERT_TRUE(dialog.Create(nullptr));
        ASSERT_EQ(Templates().size(), 1u);
        EXPECT_EQ(Templates()[0]->name.Text(), u"Kept");
    }
    ASSERT_EQ(boxes.Shown().size(), 1u) << "told once, and nothing at the end";
    const std::u16string& text = boxes.Shown()[0].text;
    EXPECT_EQ(boxes.Shown()[0].title, u"Damaged data files");
    const std::u16string keptIn = (Path(kTemplatesFileName)
        + QStringLiteral(" is damaged. Pelmora uses what it could read: 1 whole template. The "
                         "file as it was is kept in "))
                                      .toStdU16String();
    ASSERT_TRUE(text.starts_with(keptIn)) << QString::fromStdU16String(text).toStdString();
    const QString copy
        = QString::fromStdU16String(text.substr(keptIn.size(), text.size() - keptIn.size() - 1));
    EXPECT_TRUE(copy.startsWith(Path(kTemplatesFileName) + QStringLiteral(".damaged-")));
    EXPECT_EQ(test::ReadAll(copy.toStdString()), damaged);
    EXPECT_EQ(test::ReadAll(File(kTemplatesFileName)).size(), 368u) << "saved whole at the end";
}

TEST_F(MonitorDlgFiles, FileSaveSaysSavedOnlyWhenEveryFileWasWritten)
{
    CMonitorDlg dialog(dir.Path());
    ASSERT_TRUE(dialog.Create(nullptr));
    // The disk fills while the profiles file is written.
    FailNextWriteAfter(0, 2);
    dialog.MenuBar()->CommandAction(CMonitorDlg::ID_FILE_SAVE)->trigger();
    dialog.MenuBar()->CommandAction(CMonitorDlg::ID_FILE_SAVE)->trigger();
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].title, u"Not saved");
    EXPECT_EQ(boxes.Shown()[0].text,
        (QStringLiteral("Could not save ") + Path(kProfilesFileName)
            + QStringLiteral(": No space left on device."))
            .toStdU16String());
    EXPECT_EQ(boxes.Shown()[1].text, u"Settings saved...");
}

TEST_F(MonitorDlgFiles, ASaveThatFailsAtTheEndIsReportedOnStderrAndInANotification)
{
    QStringList notified;
    testing::internal::CaptureStderr();
    {
        CMonitorDlg dialog(dir.Path());
        ASSERT_TRUE(dialog.Create(nullptr));
        QObject::connect(&dialog, &CMonitorDlg::NotificationAdded,
            [&](uint id, const QString& title, const QString& html) {
                notified << QStringLiteral("%1 %2: %3").arg(id).arg(title, html);
            });
        FailNextWriteAfter(0);
    }
    const QString failure
        = QStringLiteral("Could not save %1: No space left on device.").arg(Path(kGroupsFileName));
    // The offscreen platform adds lines of its own.
    const QString printed = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_TRUE(printed.startsWith(QStringLiteral("pelmora: ") + failure + u'\n'))
        << printed.toStdString();
    EXPECT_EQ(
        notified, QStringList {QStringLiteral("98 Pelmora could not save everything: ") + failure});
    EXPECT_TRUE(boxes.Shown().empty());
}

#include "platform/framework/PictureCtrl.h"
#include "platform/shell/ShellServices.h"
#include "settings/SettingsRecord.h"
#include "tests/TestSupport.h"
#include "ui/AdvancedSettingsDlg.h"
#include "ui/ShellHelpers.h"

#include <QLineEdit>
#include <QTest>

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

using namespace pelmora;

namespace {

// Points an environment variable elsewhere for one test.
class ScopedEnv final {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value)
        : name_(name)
    {
        if (const char* old = std::getenv(name))
            saved_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (saved_)
            setenv(name_, saved_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

class AdvancedSettingsTest : public ::testing::Test {
protected:
    void TearDown() override { dlg::SetModalHandler(nullptr); }

    std::filesystem::path Entry() const
    {
        return config.Path() / "autostart" / "com.vantrel.Pelmora.desktop";
    }
    std::filesystem::path OldEntry() const
    {
        return config.Path() / "autostart" / "Pelmora.desktop";
    }

    // Opens the dialog on `settings`, lets `user` work it, returns DoModal's result.
    int Run(const std::function<void(CAdvancedSettingsDlg&)>& user)
    {
        CAdvancedSettingsDlg dialog(settings, nullptr, nullptr);
        dlg::SetModalHandler([&](dlg::CDialog& shown) {
            user(static_cast<CAdvancedSettingsDlg&>(shown));
            // The value the dialog ended with; closing it otherwise cancels.
            return shown.result() != 0 ? shown.result() : dlg::IDCANCEL;
        });
        const int result = dialog.DoModal();
        dlg::SetModalHandler(nullptr);
        return result;
    }

    bool CheckedWhenOpened()
    {
        bool checked = false;
        Run([&](CAdvancedSettingsDlg& shown) {
            checked = shown.IsDlgButtonChecked(CAdvancedSettingsDlg::IDC_AUTORUN) != 0;
        });
        return checked;
    }

    void SetAutorunAndConfirm(bool on)
    {
        Run([&](CAdvancedSettingsDlg& shown) {
            shown.CheckDlgButton(CAdvancedSettingsDlg::IDC_AUTORUN, on ? 1 : 0);
            shown.RouteCommand(dlg::IDOK);
        });
    }

    test::ScratchDir config;
    ScopedEnv configHome {"XDG_CONFIG_HOME", config.Path().string()};
    SettingsRecord settings;
};

} // namespace

TEST_F(AdvancedSettingsTest, OpensWithTheEntrysExistenceAndTheRecordsPrefix)
{
    settings.internationalPrefix.Assign(u"+44");
    Run([](CAdvancedSettingsDlg& shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Advanced settings..."));
        EXPECT_EQ(shown.GetDlgItemText(1044), u"Auto run after login");
        EXPECT_EQ(shown.IsDlgButtonChecked(1044), 0);
        EXPECT_EQ(shown.GetDlgItemText(1051), u"+44");
    });
    EXPECT_FALSE(std::filesystem::exists(config.Path() / "autostart"))
        << "opening looks, it does not create";

    CreateAutorunShortcut(CAdvancedSettingsDlg::kAutorunName, u"/h");
    EXPECT_TRUE(CheckedWhenOpened());
    std::filesystem::remove(Entry()); // removed by other means
    EXPECT_FALSE(CheckedWhenOpened());
}

TEST_F(AdvancedSettingsTest, OkCreatesAndRemovesTheStartUpEntry)
{
    SetAutorunAndConfirm(true);
    ASSERT_TRUE(std::filesystem::exists(Entry()));
    const auto bytes = test::ReadAll(Entry());
    const std::string entry(bytes.begin(), bytes.end());
    EXPECT_NE(entry.find("Exec=\"" + ProgramPath().string() + "\" /h\n"), std::string::npos)
        << entry;
    EXPECT_TRUE(CheckedWhenOpened());

    SetAutorunAndConfirm(false);
    EXPECT_FALSE(std::filesystem::exists(Entry()));
    EXPECT_FALSE(CheckedWhenOpened());
}

TEST_F(AdvancedSettingsTest, OkWithTheOptionOffAndNoEntryTouchesNoFile)
{
    const SettingsRecord before = settings;
    SetAutorunAndConfirm(false);
    EXPECT_TRUE(std::filesystem::is_empty(config.Path()));
    EXPECT_EQ(settings, before);
}

TEST_F(AdvancedSettingsTest, UnwritableStartupFolderShowsOffNextTime)
{
    // A file where the folder should be: nothing can be written below it,
    // whoever runs the test.
    test::WriteAll(config.Path() / "autostart", {'x'});
    SetAutorunAndConfirm(true);
    EXPECT_FALSE(CheckedWhenOpened());
}

TEST_F(AdvancedSettingsTest, PrefixTypedLongIsCutToNineCharacters)
{
    const int result = Run([](CAdvancedSettingsDlg& shown) {
        auto* edit = shown.Control<QLineEdit>(CAdvancedSettingsDlg::IDC_INTERNATIONAL_PREFIX);
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, QStringLiteral("+4412345678"));
        EXPECT_EQ(edit->text(), QStringLiteral("+44123456")) << "the field shows what is kept";
        shown.RouteCommand(dlg::IDOK);
    });
    EXPECT_EQ(result, dlg::IDOK);
    EXPECT_EQ(settings.internationalPrefix.Text(), u"+44123456");
}

TEST_F(AdvancedSettingsTest, PrefixIsStoredLikeACopyIntoTheRecordsField)
{
    // A longer prefix from the file is kept to nine characters; the units
    // behind the new terminator stay as they were, so the file bytes only
    // change where the text did.
    settings.internationalPrefix.Assign(u"+123456789");
    Run([](CAdvancedSettingsDlg& shown) {
        EXPECT_EQ(shown.GetDlgItemText(1051), u"+12345678");
        shown.SetDlgItemText(1051, u"00");
        shown.RouteCommand(dlg::IDOK);
    });
    EXPECT_EQ(settings.internationalPrefix.Text(), u"00");
    EXPECT_EQ(settings.internationalPrefix.units[2], u'\0');
    EXPECT_EQ(settings.internationalPrefix.units[3], u'3');
    EXPECT_EQ(settings.internationalPrefix.units[10], u'\0');
}

TEST_F(AdvancedSettingsTest, AnEntryUnderTheProgramsNameCountsAndIsReplaced)
{
    const std::string old = "[Desktop Entry]\nName=Pelmora\nExec=/opt/pelmora /h\n";
    struct Case {
        const char* what;
        bool on;
    };
    for (const Case& c : {Case {"kept on", true}, Case {"turned off", false}}) {
        SCOPED_TRACE(c.what);
        std::filesystem::create_directories(OldEntry().parent_path());
        test::WriteAll(OldEntry(), std::vector<uint8_t>(old.begin(), old.end()));
        EXPECT_TRUE(CheckedWhenOpened());
        SetAutorunAndConfirm(c.on);
        EXPECT_FALSE(std::filesystem::exists(OldEntry())) << "never two entries";
        EXPECT_EQ(std::filesystem::exists(Entry()), c.on);
        EXPECT_EQ(CheckedWhenOpened(), c.on);
    }
}

TEST_F(AdvancedSettingsTest, CancelChangesNeitherTheEntryNorThePrefix)
{
    CreateAutorunShortcut(CAdvancedSettingsDlg::kAutorunName, u"/h");
    const auto entryBefore = test::ReadAll(Entry());
    settings.internationalPrefix.Assign(u"+44");
    const SettingsRecord before = settings;
    const int result = Run([](CAdvancedSettingsDlg& shown) {
        shown.CheckDlgButton(1044, 0);
        shown.SetDlgItemText(1051, u"+1");
        shown.RouteCommand(dlg::IDCANCEL);
    });
    EXPECT_EQ(result, dlg::IDCANCEL);
    EXPECT_EQ(test::ReadAll(Entry()), entryBefore);
    EXPECT_EQ(settings, before);

    // And the other way round: off stays off.
    std::filesystem::remove(Entry());
    Run([](CAdvancedSettingsDlg& shown) {
        shown.CheckDlgButton(1044, 1);
        shown.RouteCommand(dlg::IDCANCEL);
    });
    EXPECT_FALSE(std::filesystem::exists(Entry()));
}

TEST_F(AdvancedSettingsTest, HelpPictureOpensTheAdvancedSettingsTopic)
{
    std::vector<std::u16string> started;
    SetProcessLauncher([&](const std::u16string& program, const std::u16string& line) {
        started.push_back(program + u" " + line);
        return true;
    });
    Run([](CAdvancedSettingsDlg& shown) {
        auto* help = shown.Control<dlg::CPictureCtrl>(CAdvancedSettingsDlg::IDC_HELP);
        ASSERT_NE(help, nullptr);
        QTest::mouseClick(help, Qt::LeftButton);
    });
    SetProcessLauncher(nullptr);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], u"peghelp.exe file:pelmora.htm#advancedsettings");
}

TEST(AutorunWithoutStartupFolder, NothingIsWrittenAndTheOptionShowsOff)
{
    // Relative values do not name a session folder.
    test::ScratchDir cwd;
    ScopedEnv config("XDG_CONFIG_HOME", "config");
    ScopedEnv home("HOME", std::nullopt);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(cwd.Path());
    EXPECT_TRUE(GetAutorunShortcutPath(u"Pelmora").empty());
    CreateAutorunShortcut(u"Pelmora", u"/h");
    EXPECT_FALSE(AutorunShortcutExists(u"Pelmora"));
    DeleteAutorunShortcut(u"Pelmora");
    std::filesystem::current_path(previous);
    EXPECT_TRUE(std::filesystem::is_empty(cwd.Path())) << "nothing lands in the current folder";
}

TEST_F(AdvancedSettingsTest, TheHistoryChoicesOpenAsSavedAndOkHandsOverOnlyAChange)
{
    struct Case {
        int keep; // the items picked
        int quiet;
        bool saves; // the save's answer
        std::optional<OwnSettings> handed;
        int result;
    };
    OwnSettings saved;
    saved.historyKeep = HistoryKeep::Month;
    saved.quietMinutes = 360;
    OwnSettings changed = saved;
    changed.historyKeep = HistoryKeep::Forever;
    changed.quietMinutes = 10080;
    const Case cases[] = {
        {0, 3, true, std::nullopt, dlg::IDOK}, {2, 5, true, changed, dlg::IDOK},
        {2, 5, false, changed, dlg::IDCANCEL}, // not saved: the dialog stays
    };
    for (const Case& c : cases) {
        CAdvancedSettingsDlg dialog(settings, nullptr, nullptr);
        std::optional<OwnSettings> handed;
        dialog.SetOwnSettings(saved, [&](const OwnSettings& own) {
            handed = own;
            return c.saves;
        });
        std::vector<std::u16string> items;
        dlg::SetModalHandler([&](dlg::CDialog& shown) {
            EXPECT_EQ(shown.ComboGetCurSel(CAdvancedSettingsDlg::IDC_HISTORY_KEEP), 0);
            EXPECT_EQ(shown.ComboGetCurSel(CAdvancedSettingsDlg::IDC_QUIET_PERIOD), 3);
            for (int i = 0; i < shown.ComboGetCount(CAdvancedSettingsDlg::IDC_QUIET_PERIOD); ++i)
                items.push_back(shown.ComboGetItemText(CAdvancedSettingsDlg::IDC_QUIET_PERIOD, i));
            shown.ComboSetCurSel(CAdvancedSettingsDlg::IDC_HISTORY_KEEP, c.keep);
            shown.ComboSetCurSel(CAdvancedSettingsDlg::IDC_QUIET_PERIOD, c.quiet);
            shown.RouteCommand(dlg::IDOK);
            return shown.result() != 0 ? shown.result() : dlg::IDCANCEL;
        });
        EXPECT_EQ(dialog.DoModal(), c.result);
        dlg::SetModalHandler(nullptr);
        EXPECT_EQ(handed, c.handed);
        EXPECT_EQ(items,
            (std::vector<std::u16string> {
                u"never", u"15 min", u"1 h", u"6 h", u"24 h", u"7 days"}));
    }
}

#include "app/MonitorDlg.h"
#include "messages/TemplateStore.h"
#include "platform/contacts/AddressBook.h"
#include "resources/Resources.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "tests/TestSupport.h"
#include "ui/AboutPage.h"
#include "ui/AdvancedSettingsDlg.h"
#include "ui/PageTabCtrl.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class MonitorDlgAdvanced : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTemplateStore();
        ResetProfileStore();
        ResetGroupStore();
        ContactCard card;
        card.oid = 102;
        card.firstName = u"Bob";
        card.phones[Business] = u"+44201234999";
        book.Add(card);
        SetAddressBook(&book);
        ASSERT_TRUE(dialog.Create(nullptr));
    }
    void TearDown() override
    {
        dlg::SetModalHandler(nullptr);
        dialog.contacts.Logoff();
        SetAddressBook(nullptr);
        ResetTemplateStore();
        ResetProfileStore();
    }

    // The lookup the reply pipeline makes, with the live record's prefix.
    uint32_t Identify(std::u16string_view number)
    {
        return IdentifyCaller(dialog.contacts, number, dialog.settings.internationalPrefix.Text())
            .contactId;
    }

    test::ScratchDir dir;
    SimulatedAddressBook book;
    CMonitorDlg dialog {dir.Path()};
};

} // namespace

TEST_F(MonitorDlgAdvanced, AboutIsTheFifthTab)
{
    auto* about = qobject_cast<CAboutPage*>(dialog.Page(4));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(dialog.Tabs()->PageAt(4), about);
    EXPECT_EQ(about->GetDlgItemText(CAboutPage::IDC_VERSION), u"Pelmora 1.5");
    EXPECT_FALSE(about->isVisible());
    dialog.SelectPage(4);
    EXPECT_FALSE(about->isHidden());
}

TEST_F(MonitorDlgAdvanced, PrefixSetInTheDialogServesTheNextLookupWithoutARestart)
{
    ASSERT_TRUE(dialog.contacts.Logon());
    EXPECT_EQ(Identify(u"0201234999"), 0u) << "no prefix yet";

    int opened = 0;
    dlg::SetModalHandler([&](dlg::CDialog& shown) {
        ++opened;
        auto& advanced = static_cast<CAdvancedSettingsDlg&>(shown);
        EXPECT_EQ(advanced.TemplateId(), IDD_ADVANCED_SETTINGS);
        EXPECT_EQ(advanced.MainWindow(), &dialog);
        EXPECT_EQ(advanced.parentWidget(), dialog.Page(0)) << "parented to the Main page";
        advanced.SetDlgItemText(CAdvancedSettingsDlg::IDC_INTERNATIONAL_PREFIX, u"+44");
        advanced.RouteCommand(dlg::IDOK);
        return dlg::IDOK;
    });
    // The Tools menu's command reaches the main window like any other.
    EXPECT_TRUE(dialog.RouteCommand(CAdvancedSettingsDlg::ID_ADVANCED_SETTINGS));
    EXPECT_EQ(opened, 1);

    EXPECT_EQ(dialog.settings.internationalPrefix.Text(), u"+44");
    EXPECT_EQ(Identify(u"0201234999"), 102u) << "one leading zero replaced by the prefix";
    EXPECT_EQ(Identify(u"00201234999"), 102u) << "every leading zero goes";
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / kSettingsFileName))
        << "the record reaches the file at the next save, not here";
}

TEST_F(MonitorDlgAdvanced, TheQuietPeriodChosenIsSavedInTheOwnOptionsAndUsedAtOnce)
{
    EXPECT_EQ(dialog.Session().Options().quietMinutes, 0);
    dlg::SetModalHandler([](dlg::CDialog& shown) {
        shown.ComboSetCurSel(CAdvancedSettingsDlg::IDC_QUIET_PERIOD, 2); // "1 h"
        shown.RouteCommand(dlg::IDOK);
        return dlg::IDOK;
    });
    EXPECT_TRUE(dialog.RouteCommand(CAdvancedSettingsDlg::ID_ADVANCED_SETTINGS));
    EXPECT_EQ(dialog.Session().Options().quietMinutes, 60);
    OwnSettings saved;
    QString error;
    ASSERT_TRUE(LoadOwnSettings(dir.Path(), saved, error)) << error.toStdString();
    EXPECT_EQ(saved.quietMinutes, 60);
    EXPECT_EQ(saved.historyKeep, HistoryKeep::Year);
}

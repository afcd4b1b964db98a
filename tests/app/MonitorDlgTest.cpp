#include "app/MonitorDlg.h"
#include "messages/TemplateStore.h"
#include "platform/framework/ScreenModel.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "tests/TestSupport.h"
#include "ui/PageTabCtrl.h"

#include <gtest/gtest.h>

using namespace pelmora;

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
    EXPECT_EQ(dialog.size(), QSize(240, 320));

    dlg::ScreenModel::Instance().Rotate();
    EXPECT_EQ(dialog.size(), QSize(320, 240));
    EXPECT_EQ(tabs->size(), QSize(320, 240));
    dlg::ScreenModel::Instance().Rotate();
    EXPECT_EQ(dialog.size(), QSize(240, 320));
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
        dialog.settings.interactive = 1;
    }
    SettingsRecord reloaded;
    LoadSettings(dir.Path(), reloaded);
    EXPECT_EQ(reloaded.maxTotal, 42);
    EXPECT_EQ(reloaded.interactive, 1);
}

TEST(MonitorDlgSettings, WindowThatNeverLoadedWritesNothing)
{
    test::ScratchDir dir;
    {
        CMonitorDlg dialog(dir.Path());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / kSettingsFileName));
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
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / kTemplatesFileName), 368u);
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / kSettingsFileName), 1900u);
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / kProfilesFileName), 52u);
    EXPECT_EQ(test::ReadAll(dir.Path() / kGroupsFileName), (std::vector<uint8_t> {0, 0, 0, 0}));
    ResetTemplateStore();
    ResetProfileStore();
}

#include "messages/VariableReplacementsDlg.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/ScreenModel.h"
#include "settings/SettingsRecord.h"
#include "ui/AutoSIPEdit.h"

#include <gtest/gtest.h>

using namespace pelmora;

TEST(VariableReplacementsDialog, EditsTheLiveSettings)
{
    SettingsRecord settings;
    settings.replacement[3].Assign(u"Doe");
    settings.replacement[5].Assign(u"Kept");
    CVariableReplacementsDlg dialog(settings, nullptr);
    dlg::SetModalHandler([](dlg::CDialog& shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Variables"));
        EXPECT_EQ(shown.GetDlgItemText(1037), u"Friend");
        EXPECT_EQ(shown.GetDlgItemText(1038), u"Doe");
        EXPECT_EQ(shown.GetDlgItemText(1041), u"Kept");
        EXPECT_TRUE(shown.IsDlgButtonChecked(1045));
        EXPECT_NE(CAutoSIPEdit::Of(shown.GetDlgItem(1036)), nullptr);
        shown.SetDlgItemText(1036, std::u16string(60, u't'));
        shown.SetDlgItemText(1037, u"Pal");
        shown.SetDlgItemText(1041, u"there");
        shown.CheckDlgButton(1045, 0);
        shown.RouteCommand(dlg::IDOK);
        return dlg::IDOK;
    });
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    dlg::SetModalHandler(nullptr);
    EXPECT_EQ(settings.replacement[0].Text(), std::u16string(49, u't'));
    EXPECT_EQ(settings.replacement[1].Text(), u"Pal");
    EXPECT_EQ(settings.replacement[5].Text(), u"there");
    EXPECT_EQ(settings.removeSpaceAfterEmpty, 0);
}

TEST(VariableReplacementsDialog, TheWordForFreeTimeIsEditedWhereItIsKept)
{
    SettingsRecord settings;
    for (const bool kept : {true, false}) {
        std::u16string word = u"later";
        CVariableReplacementsDlg dialog(settings, nullptr, kept ? &word : nullptr);
        dlg::SetModalHandler([kept](dlg::CDialog& shown) {
            EXPECT_EQ(shown.IsDlgItemEnabled(CVariableReplacementsDlg::IDC_BUSY_UNTIL), kept);
            EXPECT_EQ(shown.GetDlgItemText(CVariableReplacementsDlg::IDC_BUSY_UNTIL),
                kept ? u"later" : u"");
            shown.SetDlgItemText(
                CVariableReplacementsDlg::IDC_BUSY_UNTIL, std::u16string(50, u'w'));
            shown.RouteCommand(dlg::IDOK);
            return dlg::IDOK;
        });
        EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
        dlg::SetModalHandler(nullptr);
        EXPECT_EQ(word, kept ? std::u16string(40, u'w') : u"later");
    }
}

TEST(VariableReplacementsDialog, AnyNonZeroOptionShowsCheckedAndStaysOn)
{
    for (const int32_t stored : {0, 1, 2, -1}) {
        SettingsRecord settings;
        settings.removeSpaceAfterEmpty = stored;
        CVariableReplacementsDlg dialog(settings, nullptr);
        int shownChecked = -1;
        dlg::SetModalHandler([&](dlg::CDialog& shown) {
            shownChecked = shown.IsDlgButtonChecked(1045);
            shown.RouteCommand(dlg::IDOK);
            return dlg::IDOK;
        });
        EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
        dlg::SetModalHandler(nullptr);
        EXPECT_EQ(shownChecked, stored != 0 ? 1 : 0) << stored;
        EXPECT_EQ(settings.removeSpaceAfterEmpty, stored != 0 ? 1 : 0) << stored;
    }
}

TEST(VariableReplacementsDialog, CancelChangesNothing)
{
    SettingsRecord settings;
    const SettingsRecord before = settings;
    CVariableReplacementsDlg dialog(settings, nullptr);
    dlg::SetModalHandler([](dlg::CDialog& shown) {
        shown.SetDlgItemText(1037, u"Changed");
        shown.CheckDlgButton(1045, 0);
        shown.RouteCommand(dlg::IDCANCEL);
        return dlg::IDCANCEL;
    });
    EXPECT_EQ(dialog.DoModal(), dlg::IDCANCEL);
    dlg::SetModalHandler(nullptr);
    EXPECT_EQ(settings, before);
}

TEST(VariableReplacementsDialog, LandscapeTemplateWhenTheScreenIsTurned)
{
    SettingsRecord settings;
    dlg::ScreenModel::Instance().Rotate();
    CVariableReplacementsDlg dialog(settings, nullptr);
    dlg::ScreenModel::Instance().Rotate();
    EXPECT_EQ(dialog.TemplateId(), 154);
}

#include "ui/AdvancedSettingsDlg.h"

#include "platform/framework/MessageBox.h"
#include "platform/storage/FixedText.h"
#include "resources/Resources.h"
#include "settings/SettingsRecord.h"
#include "ui/ShellHelpers.h"

#include <algorithm>

namespace pelmora {

CAdvancedSettingsDlg::CAdvancedSettingsDlg(
    SettingsRecord& settings, CMonitorDlg* mainWindow, QWidget* parent)
    : COrientedDialog(IDD_ADVANCED_SETTINGS, IDD_ADVANCED_SETTINGS_L, parent)
    , settings_(settings)
    , mainWindow_(mainWindow)
{
}

void CAdvancedSettingsDlg::SetOwnSettings(
    OwnSettings current, std::function<bool(const OwnSettings&)> save)
{
    own_ = std::move(current);
    saveOwn_ = std::move(save);
}

bool CAdvancedSettingsDlg::OnInitDialog()
{
    // Read from the file system each time: an entry removed by other means
    // shows as off.
    const bool autorun
        = AutorunShortcutExists(kAutorunName) || AutorunShortcutExists(kOldAutorunName);
    CheckDlgButton(IDC_AUTORUN, autorun ? 1 : 0);
    // The field takes no more than is kept, so what is seen is what is stored.
    SetLimitText(IDC_INTERNATIONAL_PREFIX, kMaxPrefixChars);
    SetDlgItemText(IDC_INTERNATIONAL_PREFIX, settings_.internationalPrefix.Text());
    for (const char16_t* keep : {u"a month", u"a year", u"forever"})
        ComboAddString(IDC_HISTORY_KEEP, keep);
    ComboSetCurSel(IDC_HISTORY_KEEP, static_cast<int>(own_.historyKeep));
    for (size_t i = 0; i < kQuietPeriodMinutes.size(); ++i) {
        ComboAddString(IDC_QUIET_PERIOD, QuietPeriodText(kQuietPeriodMinutes[i]).toStdU16String());
        if (kQuietPeriodMinutes[i] == own_.quietMinutes)
            ComboSetCurSel(IDC_QUIET_PERIOD, static_cast<int>(i));
    }
    return true;
}

bool CAdvancedSettingsDlg::OnCommand(int id)
{
    switch (id) {
    case dlg::IDOK: {
        OwnSettings changed = own_;
        changed.historyKeep = static_cast<HistoryKeep>(std::clamp(
            ComboGetCurSel(IDC_HISTORY_KEEP), 0, static_cast<int>(HistoryKeep::Forever)));
        const int quiet = ComboGetCurSel(IDC_QUIET_PERIOD);
        if (quiet >= 0 && quiet < static_cast<int>(kQuietPeriodMinutes.size()))
            changed.quietMinutes = kQuietPeriodMinutes[static_cast<size_t>(quiet)];
        if (saveOwn_ && changed != own_ && !saveOwn_(changed))
            return true;
        own_ = changed;
        if (IsDlgButtonChecked(IDC_AUTORUN))
            CreateAutorunShortcut(kAutorunName, kAutorunArguments);
        else
            DeleteAutorunShortcut(kAutorunName);
        // Either way the old entry goes: two entries would start the program twice.
        DeleteAutorunShortcut(kOldAutorunName);
        const std::u16string prefix = GetDlgItemText(IDC_INTERNATIONAL_PREFIX);
        settings_.internationalPrefix.Assign(CutWhole(prefix, kMaxPrefixChars));
        EndDialog(dlg::IDOK);
        return true;
    }
    case IDC_HELP:
        LaunchHelp(u"pelmora.htm", u"advancedsettings");
        return true;
    default:
        return COrientedDialog::OnCommand(id);
    }
}

} // namespace pelmora

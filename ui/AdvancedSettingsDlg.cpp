#include "ui/AdvancedSettingsDlg.h"

#include "monitor/SettingsRecord.h"
#include "platform/framework/MessageBox.h"
#include "platform/storage/FixedText.h"
#include "resources/Resources.h"
#include "ui/ShellHelpers.h"

namespace pelmora {

CAdvancedSettingsDlg::CAdvancedSettingsDlg(
    SettingsRecord& settings, CMonitorDlg* mainWindow, QWidget* parent)
    : CDialog(IDD_ADVANCED_SETTINGS, parent)
    , settings_(settings)
    , mainWindow_(mainWindow)
{
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
    return true;
}

bool CAdvancedSettingsDlg::OnCommand(int id)
{
    switch (id) {
    case dlg::IDOK: {
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
        return CDialog::OnCommand(id);
    }
}

} // namespace pelmora

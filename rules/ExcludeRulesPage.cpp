#include "rules/ExcludeRulesPage.h"

#include "rules/RuleTest.h"
#include "ui/AutoSIPEdit.h"
#include "ui/ShellHelpers.h"

namespace pelmora {

CExcludeRulesPage::CExcludeRulesPage(QWidget* parent)
    : COrientedPropertyPage(parent)
{
}

bool CExcludeRulesPage::OnInitDialog()
{
    prefixEdit_ = new CAutoSIPEdit(GetDlgItem(IDC_PREFIXES));
    UpdateData(false);
    return true;
}

void CExcludeRulesPage::RefreshExcludeState()
{
    UpdateData(false);
    ApplyEditState();
}

void CExcludeRulesPage::ApplyEditState()
{
    const bool prefixes = IsDlgButtonChecked(IDC_STARTING_WITH) != 0;
    // The list stays in the edit while it is off, so checking again finds it.
    SetDlgItemReadOnly(IDC_PREFIXES, !prefixes);
    EnableDlgItem(IDC_PREFIXES, prefixes);
}

void CExcludeRulesPage::ReadRules(RuleValues& rules) const
{
    rules.excludeInternational = IsDlgButtonChecked(IDC_INTERNATIONAL) != 0;
    rules.excludeUnidentified = IsDlgButtonChecked(IDC_UNIDENTIFIED) != 0;
    rules.excludeStartingWith = IsDlgButtonChecked(IDC_STARTING_WITH) != 0;
    rules.excludePrefixes = GetDlgItemText(IDC_PREFIXES);
}

bool CExcludeRulesPage::OnCommand(int id)
{
    switch (id) {
    case IDC_STARTING_WITH:
        ApplyEditState();
        return true;
    case IDC_HELP:
        LaunchHelp(kHelpFile, u"excluderules");
        return true;
    default:
        return COrientedPropertyPage::OnCommand(id);
    }
}

void CExcludeRulesPage::ApplySettings(const SettingsRecord& settings)
{
    CheckDlgButton(IDC_INTERNATIONAL, settings.excludeInternational);
    CheckDlgButton(IDC_UNIDENTIFIED, settings.excludeUnidentified);
    CheckDlgButton(IDC_STARTING_WITH, settings.excludeStartingWith);
    SetDlgItemText(IDC_PREFIXES, settings.excludePrefixes.Text());
    RefreshExcludeState();
}

void CExcludeRulesPage::CollectSettings(SettingsRecord& settings)
{
    settings.excludeInternational = IsDlgButtonChecked(IDC_INTERNATIONAL);
    settings.excludeUnidentified = IsDlgButtonChecked(IDC_UNIDENTIFIED);
    settings.excludeStartingWith = IsDlgButtonChecked(IDC_STARTING_WITH);
    // The longest prefix list the record takes: a read limited to 300
    // characters, terminator included.
    settings.excludePrefixes.Assign(CutWhole(GetDlgItemText(IDC_PREFIXES), 299));
}

} // namespace pelmora

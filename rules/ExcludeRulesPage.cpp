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

} // namespace pelmora

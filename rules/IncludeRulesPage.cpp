#include "rules/IncludeRulesPage.h"

#include "rules/RuleTest.h"
#include "ui/AutoSIPEdit.h"
#include "ui/ShellHelpers.h"

namespace pelmora {

CIncludeRulesPage::CIncludeRulesPage(QWidget* parent)
    : COrientedPropertyPage(parent)
{
}

bool CIncludeRulesPage::OnInitDialog()
{
    prefixEdit_ = new CAutoSIPEdit(GetDlgItem(IDC_PREFIXES));
    UpdateData(false);
    return true;
}

void CIncludeRulesPage::UpdateData(bool toMembers)
{
    if (toMembers)
        includeMode = GetRadioValue(IDC_ALL_NUMBERS);
    else
        SetRadioValue(IDC_ALL_NUMBERS, includeMode);
}

void CIncludeRulesPage::RefreshIncludeState()
{
    UpdateData(false);
    ApplyEditState();
}

void CIncludeRulesPage::ApplyEditState()
{
    UpdateData(true);
    const bool prefixes = includeMode == kOnlyStartingWith;
    // The list stays in the edit while it is off, so switching back finds it.
    SetDlgItemReadOnly(IDC_PREFIXES, !prefixes);
    EnableDlgItem(IDC_PREFIXES, prefixes);
}

void CIncludeRulesPage::ReadRules(RuleValues& rules) const
{
    rules.includeOnlyStartingWith = IsDlgButtonChecked(IDC_ONLY_STARTING_WITH) != 0;
    rules.includePrefixes = GetDlgItemText(IDC_PREFIXES);
}

bool CIncludeRulesPage::OnCommand(int id)
{
    switch (id) {
    case IDC_ALL_NUMBERS:
    case IDC_ONLY_STARTING_WITH:
        ApplyEditState();
        return true;
    case IDC_HELP:
        LaunchHelp(kHelpFile, u"includerules");
        return true;
    default:
        return COrientedPropertyPage::OnCommand(id);
    }
}

void CIncludeRulesPage::ApplySettings(const SettingsRecord& settings)
{
    includeMode = settings.includeMode;
    SetDlgItemText(IDC_PREFIXES, settings.includePrefixes.Text());
    RefreshIncludeState();
}

void CIncludeRulesPage::CollectSettings(SettingsRecord& settings)
{
    UpdateData(true);
    settings.includeMode = includeMode;
    // The longest prefix list the record takes: a read limited to 300
    // characters, terminator included.
    settings.includePrefixes.Assign(CutWhole(GetDlgItemText(IDC_PREFIXES), 299));
}

} // namespace pelmora

#include "messages/VariableReplacementsDlg.h"

#include "options/OwnSettings.h"
#include "platform/framework/MessageBox.h"
#include "platform/storage/FixedText.h"
#include "resources/Resources.h"
#include "settings/SettingsRecord.h"
#include "ui/AutoSIPEdit.h"

#include <array>

namespace pelmora {

namespace {
// The edit field of each replacement word, in the order of the variables.
// "[FULLNAME]" has one too: without it every unknown caller was greeted with
// an empty name by the default template.
constexpr std::array<int, 6> kReplacementEdits = {1036, 1037, 1040, 1038, 1039, 1041};
constexpr int IDC_REMOVE_SPACE = 1045;
} // namespace

CVariableReplacementsDlg::CVariableReplacementsDlg(
    SettingsRecord& settings, QWidget* parent, std::u16string* busyUntilWord)
    : COrientedDialog(IDD_VARIABLES, IDD_VARIABLES_L, parent)
    , settings_(settings)
    , busyUntilWord_(busyUntilWord)
{
}

bool CVariableReplacementsDlg::OnInitDialog()
{
    for (size_t i = 0; i < kReplacementEdits.size(); ++i) {
        new CAutoSIPEdit(GetDlgItem(kReplacementEdits[i]));
        SetDlgItemText(kReplacementEdits[i], settings_.replacement[i].Text());
    }
    // The expansion treats every non-zero value as on; so does the box, or
    // OK would turn the option off unasked.
    CheckDlgButton(IDC_REMOVE_SPACE, settings_.removeSpaceAfterEmpty != 0 ? 1 : 0);
    new CAutoSIPEdit(GetDlgItem(IDC_BUSY_UNTIL));
    if (busyUntilWord_)
        SetDlgItemText(IDC_BUSY_UNTIL, *busyUntilWord_);
    EnableDlgItem(IDC_BUSY_UNTIL, busyUntilWord_ != nullptr);
    return true;
}

bool CVariableReplacementsDlg::OnCommand(int id)
{
    if (id == dlg::IDOK) {
        for (size_t i = 0; i < kReplacementEdits.size(); ++i) {
            const std::u16string text = GetDlgItemText(kReplacementEdits[i]);
            settings_.replacement[i].Assign(CutWhole(text, kMaxReplacementChars));
        }
        settings_.removeSpaceAfterEmpty = IsDlgButtonChecked(IDC_REMOVE_SPACE) ? 1 : 0;
        if (busyUntilWord_)
            *busyUntilWord_
                = CutWhole(GetDlgItemText(IDC_BUSY_UNTIL), OwnSettings::kMostBusyUntilWordLength);
        EndDialog(dlg::IDOK);
        return true;
    }
    return CDialog::OnCommand(id);
}

} // namespace pelmora

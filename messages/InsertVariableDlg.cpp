#include "messages/InsertVariableDlg.h"

#include "messages/VariableExpansion.h"
#include "platform/framework/MessageBox.h"
#include "resources/Resources.h"

namespace pelmora {

CInsertVariableDlg::CInsertVariableDlg(QWidget* parent)
    : CDialog(IDD_INSERT_VARIABLE, parent)
{
}

bool CInsertVariableDlg::OnInitDialog()
{
    for (std::u16string_view variable : InsertableVariables)
        ListBoxAddString(IDC_VARIABLES, variable);
    return true;
}

bool CInsertVariableDlg::OnCommand(int id)
{
    if (id == dlg::IDOK) {
        const int selection = ListBoxGetCurSel(IDC_VARIABLES);
        if (selection < 0) {
            dlg::MessageBox(this, u"Please select a variable first, or press Cancel");
            return true;
        }
        chosen = selection;
        EndDialog(dlg::IDOK);
        return true;
    }
    return CDialog::OnCommand(id);
}

} // namespace pelmora

#include "messages/NewPresetDlg.h"

#include "platform/framework/MessageBox.h"
#include "resources/Resources.h"
#include "ui/AutoSIPEdit.h"

namespace pelmora {

CNewPresetDlg::CNewPresetDlg(QWidget* parent)
    : CDialog(IDD_NEW_PRESET, parent)
{
}

CNewPresetDlg::~CNewPresetDlg()
{
    // The keyboard raised for the name goes down with the dialog.
    if (IsBuilt())
        SetSipUp(this, false);
}

bool CNewPresetDlg::OnInitDialog()
{
    SetDlgItemText(IDC_NAME, name);
    SetSipUp(this, true);
    return true;
}

bool CNewPresetDlg::OnCommand(int id)
{
    if (id == dlg::IDOK) {
        name = GetDlgItemText(IDC_NAME);
        EndDialog(dlg::IDOK);
        return true;
    }
    return CDialog::OnCommand(id);
}

} // namespace pelmora

#include "rules/SelectGroupMsgDlg.h"

#include "messages/TemplateCombo.h"
#include "platform/framework/MessageBox.h"
#include "resources/Resources.h"
#include "rules/GroupControls.h"

namespace pelmora {

CSelectGroupMsgDlg::CSelectGroupMsgDlg(QWidget* parent)
    : CDialog(IDD_SELECT_GROUP_MSG, parent)
{
}

bool CSelectGroupMsgDlg::OnInitDialog()
{
    FillGroupCombo(dlg::CComboBox(Control<QComboBox>(IDC_GROUP)));
    FillTemplateCombo(dlg::CComboBox(Control<QComboBox>(IDC_MESSAGE)), true);
    return true;
}

bool CSelectGroupMsgDlg::OnCommand(int id)
{
    if (id != dlg::IDOK)
        return CDialog::OnCommand(id);
    const dlg::CComboBox groups(Control<QComboBox>(IDC_GROUP));
    if (groups.GetCurSel() < 0) {
        dlg::MessageBox(this, u"You must select a group");
        return true;
    }
    groupId = SelectedGroupId(groups);
    const dlg::CComboBox messages(Control<QComboBox>(IDC_MESSAGE));
    if (messages.GetCurSel() < 0) {
        dlg::MessageBox(this, u"You must select a message");
        return true;
    }
    templateId = SelectedTemplateId(messages);
    EndDialog(dlg::IDOK);
    return true;
}

} // namespace pelmora

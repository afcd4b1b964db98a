#include "rules/SelectContactMsgDlg.h"

#include "messages/TemplateCombo.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/WaitCursor.h"
#include "resources/Resources.h"
#include "rules/SelectContactsListCtrl.h"
#include "ui/AutoSIPEdit.h"

#include <QLineEdit>

namespace pelmora {

CSelectContactMsgDlg::CSelectContactMsgDlg(QWidget* parent)
    : COrientedDialog(IDD_SELECT_CONTACT_MSG, IDD_SELECT_CONTACT_MSG_L, parent)
{
    SetControlFactory(IDC_CONTACTS, [](QWidget* owner) {
        auto* list = new CSelectContactsListCtrl(owner);
        list->checkBoxFlag = 0; // one contact is picked, none is checked
        return list;
    });
}

CSelectContactsListCtrl* CSelectContactMsgDlg::ContactList() const
{
    return Control<CSelectContactsListCtrl>(IDC_CONTACTS);
}

bool CSelectContactMsgDlg::OnInitDialog()
{
    if (auto* find = Control<QLineEdit>(IDC_FIND))
        new CAutoSIPEdit(find);
    CSelectContactsListCtrl* contacts = ContactList();
    if (contacts) {
        // A tap on a row picks that contact.
        connect(
            contacts, &QTreeWidget::currentItemChanged, this, [contacts](QTreeWidgetItem* current) {
                if (current)
                    contacts->SetSelectionMark(contacts->indexOfTopLevelItem(current));
            });
    }
    dlg::CWaitCursor wait;
    if (contacts)
        contacts->FillContactList();
    FillTemplateCombo(dlg::CComboBox(Control<QComboBox>(IDC_MESSAGE)), true);
    return true;
}

void CSelectContactMsgDlg::OnNotify(int id, dlg::ControlNotification code)
{
    if (id == IDC_FIND && code == dlg::ControlNotification::Change)
        if (CSelectContactsListCtrl* contacts = ContactList())
            contacts->FindAndSelect(GetDlgItemText(IDC_FIND));
}

bool CSelectContactMsgDlg::OnCommand(int id)
{
    if (id != dlg::IDOK)
        return CDialog::OnCommand(id);
    CSelectContactsListCtrl* contacts = ContactList();
    const int mark = contacts ? contacts->GetSelectionMark() : -1;
    if (mark < 0) {
        dlg::MessageBox(this, u"You must select a contact");
        return true;
    }
    contactId = contacts->RowContact(mark);
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

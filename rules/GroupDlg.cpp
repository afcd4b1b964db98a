#include "rules/GroupDlg.h"

#include "platform/framework/MessageBox.h"
#include "platform/framework/WaitCursor.h"
#include "resources/Resources.h"
#include "rules/ContactListing.h"
#include "rules/GroupControls.h"
#include "rules/GroupStore.h"
#include "rules/SelectContactsListCtrl.h"
#include "ui/AutoSIPEdit.h"

#include <QLineEdit>

namespace pelmora {

CGroupDlg::CGroupDlg(GroupRecord& group, QWidget* parent)
    : COrientedDialog(IDD_GROUP, IDD_GROUP_L, parent)
    , group_(group)
{
    SetControlFactory(
        IDC_CONTACTS, [](QWidget* owner) { return new CSelectContactsListCtrl(owner); });
}

CSelectContactsListCtrl* CGroupDlg::ContactList() const
{
    return Control<CSelectContactsListCtrl>(IDC_CONTACTS);
}

bool CGroupDlg::OnInitDialog()
{
    auto* name = Control<QLineEdit>(IDC_NAME);
    auto* find = Control<QLineEdit>(IDC_FIND);
    CSelectContactsListCtrl* contacts = ContactList();
    if (!name || !find || !contacts)
        return true;
    new CAutoSIPEdit(name);
    new CAutoSIPEdit(find);
    connect(find, &QLineEdit::textChanged, this,
        [contacts](const QString& text) { contacts->FindAndSelect(text.toStdU16String()); });

    bool listedAll = false;
    {
        dlg::CWaitCursor wait;
        listedAll = contacts->FillContactList();
        if (!group_.members.empty())
            CheckMembers(group_, contacts);
        SetDlgItemText(IDC_NAME, group_.name.Text());
    }
    // A user who only renames a group while the address book cannot be read
    // must not lose its members.
    keptUnlisted_ = UnlistedMembersToKeep(group_.members, contacts->ListedContacts(), listedAll);
    if (!keptUnlisted_.empty())
        dlg::MessageBox(this,
            u"Not all contacts could be read. Members that are not listed stay in the group.");
    return true;
}

bool CGroupDlg::OnCommand(int id)
{
    if (id == dlg::IDOK) {
        OnOK();
        return true;
    }
    return CDialog::OnCommand(id);
}

void CGroupDlg::OnOK()
{
    if (GetDlgItemText(IDC_NAME).empty()) {
        dlg::MessageBox(this, u"Can not have an empty group name");
        return;
    }
    if (CSelectContactsListCtrl* contacts = ContactList()) {
        CollectMembers(group_, contacts);
        group_.members.insert(group_.members.end(), keptUnlisted_.begin(), keptUnlisted_.end());
    }
    SetNameFromEdit(group_, Control<QLineEdit>(IDC_NAME));
    EndDialog(dlg::IDOK);
}

} // namespace pelmora

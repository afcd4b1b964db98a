#include "rules/ProfileCustomMsgsDlg.h"

#include "messages/ContactsSession.h"
#include "platform/framework/MessageBox.h"
#include "resources/Resources.h"
#include "rules/GroupsDlg.h"
#include "rules/ProfileEntriesListCtrl.h"
#include "rules/ProfileStore.h"
#include "rules/SelectContactMsgDlg.h"
#include "rules/SelectGroupMsgDlg.h"
#include "ui/SaveAllTarget.h"

namespace pelmora {

CProfileCustomMsgsDlg::CProfileCustomMsgsDlg(ProfileRecord& profile, QWidget* parent)
    : COrientedDialog(IDD_PROFILE_CUSTOM_MSGS, IDD_PROFILE_CUSTOM_MSGS_L, parent)
    , profile_(profile)
{
    SetControlFactory(
        IDC_ENTRIES, [](QWidget* owner) { return new CProfileEntriesListCtrl(owner); });
}

CProfileEntriesListCtrl* CProfileCustomMsgsDlg::EntryList() const
{
    return Control<CProfileEntriesListCtrl>(IDC_ENTRIES);
}

bool CProfileCustomMsgsDlg::OnInitDialog()
{
    FillEntries();
    return true;
}

void CProfileCustomMsgsDlg::FillEntries()
{
    CProfileEntriesListCtrl* list = EntryList();
    if (!list)
        return;
    CContactsSession session;
    session.Logon();
    for (const auto& entry : profile_.entries)
        list->AppendEntry(entry.get(), &session);
    session.Logoff();
}

bool CProfileCustomMsgsDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_ADD_GROUP_MSG:
        OnAddGroupMsg();
        return true;
    case IDC_ADD_CONTACT_MSG:
        OnAddContactMsg();
        return true;
    case IDC_DELETE_ENTRY:
        OnDeleteEntry();
        return true;
    case IDC_EDIT_GROUPS:
        OnEditGroups();
        return true;
    case CProfileEntriesListCtrl::ID_CANCEL_MENU:
        return true;
    default:
        return CDialog::OnCommand(id);
    }
}

void CProfileCustomMsgsDlg::OnAddGroupMsg()
{
    CSelectGroupMsgDlg picker(this);
    if (picker.DoModal() != dlg::IDOK)
        return;
    // An entry for the same group takes the new message instead.
    ProfileEntry* entry = AddGroupEntry(profile_, picker.groupId, picker.templateId);
    if (!entry) {
        dlg::MessageBox(this, u"Group already exists");
        // The existing row shows the message it has now.
        if (CProfileEntriesListCtrl* list = EntryList())
            list->RefreshMessages();
        return;
    }
    if (CProfileEntriesListCtrl* list = EntryList())
        list->AppendEntry(entry, nullptr);
}

void CProfileCustomMsgsDlg::OnAddContactMsg()
{
    CSelectContactMsgDlg picker(this);
    if (picker.DoModal() != dlg::IDOK)
        return;
    ProfileEntry* entry = AddContactEntry(profile_, picker.contactId, picker.templateId);
    if (!entry) {
        dlg::MessageBox(this, u"Contact already exists");
        return;
    }
    if (CProfileEntriesListCtrl* list = EntryList())
        list->AppendEntry(entry, nullptr);
}

void CProfileCustomMsgsDlg::OnDeleteEntry()
{
    CProfileEntriesListCtrl* list = EntryList();
    const int row = list ? list->GetSelectionMark() : -1;
    ProfileEntry* entry = row >= 0 ? list->RowEntry(row) : nullptr;
    if (!entry)
        return;
    const std::u16string_view question = entry->IsGroup()
        ? u"Are you sure you want to delete this group?"
        : u"Are you sure you want to delete this contact?";
    if (dlg::MessageBox(this, question, u"Confirm", dlg::MessageButtons::YesNo) != dlg::IDYES)
        return;
    if (RemoveEntry(profile_, entry))
        list->RemoveRow(row);
}

void CProfileCustomMsgsDlg::OnEditGroups()
{
    CGroupsDlg groups(
        [this] {
            if (mainWindow)
                mainWindow->SaveAll();
        },
        this);
    // Deleting a group frees its entries in every profile: the rows must
    // not keep them even while the groups dialog is still open.
    groups.SetGroupDeleted([this] {
        if (CProfileEntriesListCtrl* list = EntryList()) {
            list->RemoveAllRows();
            FillEntries();
        }
    });
    groups.DoModal();
    // Renamed groups show their new names.
    if (CProfileEntriesListCtrl* list = EntryList()) {
        list->RemoveAllRows();
        FillEntries();
    }
}

} // namespace pelmora

#include "rules/GroupsDlg.h"

#include "platform/framework/MessageBox.h"
#include "platform/framework/WaitCursor.h"
#include "resources/Resources.h"
#include "rules/GroupControls.h"
#include "rules/GroupDlg.h"
#include "rules/GroupStore.h"
#include "rules/GroupsListCtrl.h"

namespace pelmora {

CGroupsDlg::CGroupsDlg(std::function<void()> saveAll, QWidget* parent)
    : COrientedDialog(IDD_GROUPS, IDD_GROUPS_L, parent)
    , saveAll_(std::move(saveAll))
{
    SetControlFactory(IDC_GROUPS, [](QWidget* owner) { return new CGroupsListCtrl(owner); });
}

CGroupsListCtrl* CGroupsDlg::GroupList() const
{
    return Control<CGroupsListCtrl>(IDC_GROUPS);
}

bool CGroupsDlg::OnInitDialog()
{
    if (CGroupsListCtrl* list = GroupList())
        FillGroupList(list);
    return true;
}

bool CGroupsDlg::OnCommand(int id)
{
    switch (id) {
    case CGroupsListCtrl::ID_NEW_GROUP:
        OnNew();
        return true;
    case CGroupsListCtrl::ID_EDIT_GROUP:
        OnEdit();
        return true;
    case CGroupsListCtrl::ID_DELETE_GROUP:
        OnDelete();
        return true;
    default:
        return CDialog::OnCommand(id);
    }
}

GroupRecord* CGroupsDlg::NewGroup()
{
    GroupRecord edited;
    CGroupDlg dialog(edited, this);
    if (dialog.DoModal() != dlg::IDOK)
        return nullptr;
    return AddGroup(edited);
}

void CGroupsDlg::OnNew()
{
    if (GroupRecord* group = NewGroup())
        if (CGroupsListCtrl* list = GroupList())
            list->AppendGroup(group);
}

void CGroupsDlg::OnEdit()
{
    CGroupsListCtrl* list = GroupList();
    const int row = list ? list->GetSelectionMark() : -1;
    GroupRecord* group = row >= 0 ? list->RowGroup(row) : nullptr;
    if (!group)
        return;
    CGroupDlg dialog(*group, this);
    if (dialog.DoModal() == dlg::IDOK)
        list->SetRowGroup(row, group);
}

void CGroupsDlg::OnDelete()
{
    CGroupsListCtrl* list = GroupList();
    const int row = list ? list->GetSelectionMark() : -1;
    if (row < 0)
        return;
    if (dlg::MessageBox(this, u"Are you sure you want to delete this group?", u"Confirm",
            dlg::MessageButtons::YesNo)
        != dlg::IDYES)
        return;
    GroupRecord* group = list->RowGroup(row);
    if (group && IsGroupUsed(*group)
        && dlg::MessageBox(this,
               u"The following group is in use, are you sure you want to delete it?",
               u"Confirm delete", dlg::MessageButtons::YesNo)
            != dlg::IDYES)
        return;
    {
        dlg::CWaitCursor wait;
        if (DeleteGroup(group)) {
            list->RemoveRow(row);
            if (groupDeleted_)
                groupDeleted_();
        }
    }
    if (saveAll_)
        saveAll_();
}

} // namespace pelmora

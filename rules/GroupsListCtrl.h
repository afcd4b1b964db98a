#pragma once

#include "ui/PersistentListCtrl.h"

namespace pelmora {

class GroupRecord;

// The groups of the groups dialog, one row per group, each row carrying its
// record. Tapping a row, or holding it for the menu, makes it the row the
// dialog's Edit and Delete act on.
class CGroupsListCtrl final : public CPersistentListCtrl {
    Q_OBJECT
public:
    explicit CGroupsListCtrl(QWidget* parent = nullptr);

    int RowCount() const { return topLevelItemCount(); }
    GroupRecord* RowGroup(int row) const;
    std::u16string RowText(int row) const;
    // Appends a row for `group`; returns its index.
    int AppendGroup(GroupRecord* group);
    // The row shows the group's name again and refers to it.
    void SetRowGroup(int row, GroupRecord* group);
    // Removes a row and leaves no row marked.
    void RemoveRow(int row);

    std::optional<QColor> RowTint(int row) const override;

    static constexpr int ID_NEW_GROUP = 3;
    static constexpr int ID_DELETE_GROUP = 4;
    static constexpr int ID_EDIT_GROUP = 5;
    static constexpr int ID_CANCEL_MENU = 32787;

protected:
    void InitColumns() override;
    std::u16string GetSectionName() const override { return u"CGroupsListCtrl"; }
    std::vector<dlg::MenuItem> PopupMenuItems() const override;
};

} // namespace pelmora

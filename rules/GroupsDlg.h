#pragma once

#include "ui/OrientedPropertyPage.h"

#include <functional>

namespace pelmora {

class CGroupsListCtrl;
class GroupRecord;

// Lists the groups and creates, edits and deletes them. New and edited groups
// stay in memory until the next save of all data; a deletion saves at once,
// through `saveAll` (the main window's SaveAll).
class CGroupsDlg final : public COrientedDialog {
    Q_OBJECT
public:
    CGroupsDlg(std::function<void()> saveAll, QWidget* parent);

    CGroupsListCtrl* GroupList() const;

    // Opens the group dialog on a new, empty group; on OK the group joins the
    // group list and is returned, otherwise none.
    GroupRecord* NewGroup();
    // Called at once after a group and its profile entries were freed, so a
    // window that shows entries drops them before it paints again.
    void SetGroupDeleted(std::function<void()> groupDeleted)
    {
        groupDeleted_ = std::move(groupDeleted);
    }

    static constexpr int IDC_GROUPS = 1061;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;

private:
    void OnNew();
    void OnEdit();
    void OnDelete();

    std::function<void()> saveAll_;
    std::function<void()> groupDeleted_;
};

} // namespace pelmora

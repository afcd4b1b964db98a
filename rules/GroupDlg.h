#pragma once

#include "ui/OrientedPropertyPage.h"

#include <cstdint>
#include <vector>

namespace pelmora {

class CSelectContactsListCtrl;
class GroupRecord;

// Edits one group in place: its name, and its members as the checked rows of
// the whole address book. Nothing changes unless it closes with OK.
class CGroupDlg final : public COrientedDialog {
    Q_OBJECT
public:
    CGroupDlg(GroupRecord& group, QWidget* parent);

    CSelectContactsListCtrl* ContactList() const;
    // Members that the contact list could not show and that OK keeps.
    const std::vector<uint32_t>& KeptUnlisted() const { return keptUnlisted_; }

    static constexpr int IDC_NAME_LABEL = 1059;
    static constexpr int IDC_NAME = 1037;
    static constexpr int IDC_FIND_LABEL = 1060;
    static constexpr int IDC_FIND = 1038;
    static constexpr int IDC_CONTACTS = 1063;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;

private:
    void OnOK();

    GroupRecord& group_;
    std::vector<uint32_t> keptUnlisted_;
};

} // namespace pelmora

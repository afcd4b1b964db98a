#pragma once

#include "ui/OrientedPropertyPage.h"

namespace pelmora {

class CProfileEntriesListCtrl;
class ProfileRecord;
class SaveAllTarget;

// Edits the custom entries of one profile: a message for a group or for one
// contact. Entries change in memory only; the next save of all data writes
// them.
class CProfileCustomMsgsDlg final : public COrientedDialog {
    Q_OBJECT
public:
    CProfileCustomMsgsDlg(ProfileRecord& profile, QWidget* parent);

    // Set by the opener; the groups dialog saves through it after a deletion.
    SaveAllTarget* mainWindow = nullptr;

    CProfileEntriesListCtrl* EntryList() const;
    // Lists the profile's entries, naming them through one contacts session.
    void FillEntries();

    static constexpr int IDC_ADD_GROUP_MSG = 3;
    static constexpr int IDC_ADD_CONTACT_MSG = 4;
    static constexpr int IDC_DELETE_ENTRY = 5;
    static constexpr int IDC_EDIT_GROUPS = 6;
    static constexpr int IDC_ENTRIES = 1063;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;

private:
    void OnAddGroupMsg();
    void OnAddContactMsg();
    void OnDeleteEntry();
    void OnEditGroups();

    ProfileRecord& profile_;
};

} // namespace pelmora

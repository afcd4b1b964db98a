#pragma once

#include "ui/OrientedPropertyPage.h"

#include <cstdint>

namespace pelmora {

class CSelectContactsListCtrl;

// Picks one contact of the address book and the message for it. It closes
// with OK only once both are chosen.
class CSelectContactMsgDlg final : public COrientedDialog {
    Q_OBJECT
public:
    explicit CSelectContactMsgDlg(QWidget* parent = nullptr);

    CSelectContactsListCtrl* ContactList() const;

    uint32_t contactId = 0;
    int32_t templateId = 0;

    static constexpr int IDC_MESSAGE = 1007;
    static constexpr int IDC_FIND = 1038;
    static constexpr int IDC_FIND_LABEL = 1060;
    static constexpr int IDC_CONTACTS = 1063;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void OnNotify(int id, dlg::ControlNotification code) override;
};

} // namespace pelmora

#pragma once

#include "platform/framework/Dialog.h"

#include <cstdint>

namespace pelmora {

// Picks a group and the message for it. It closes with OK only once both
// are chosen.
class CSelectGroupMsgDlg final : public dlg::CDialog {
    Q_OBJECT
public:
    explicit CSelectGroupMsgDlg(QWidget* parent = nullptr);

    int32_t groupId = 0;
    int32_t templateId = 0;

    static constexpr int IDC_MESSAGE = 1007;
    static constexpr int IDC_GROUP = 1068;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;
};

} // namespace pelmora

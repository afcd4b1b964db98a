#pragma once

#include "platform/framework/Dialog.h"

namespace pelmora {

// Lets the user pick one of the message variables; the list position is the
// variable's index.
class CInsertVariableDlg final : public dlg::CDialog {
    Q_OBJECT
public:
    explicit CInsertVariableDlg(QWidget* parent = nullptr);

    // The index of the variable chosen, -1 when none was.
    int chosen = -1;

    static constexpr int IDC_VARIABLES = 1029;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;
};

} // namespace pelmora

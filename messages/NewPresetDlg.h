#pragma once

#include "platform/framework/Dialog.h"

#include <string>

namespace pelmora {

// Asks for the name of a preset or a profile. The opener may propose a name
// and reads the one given after OK.
class CNewPresetDlg final : public dlg::CDialog {
    Q_OBJECT
public:
    explicit CNewPresetDlg(QWidget* parent = nullptr);
    ~CNewPresetDlg() override;

    std::u16string name;

    static constexpr int IDC_NAME = 1002;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;
};

} // namespace pelmora

#pragma once

#include "ui/OrientedPropertyPage.h"

namespace pelmora {

struct SettingsRecord;

// Lets the user set the words used for callers who are not in the address
// book, and the remove-space option, directly in the live settings record.
class CVariableReplacementsDlg final : public COrientedDialog {
    Q_OBJECT
public:
    CVariableReplacementsDlg(SettingsRecord& settings, QWidget* parent);

    static constexpr int kMaxReplacementChars = 49;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;

private:
    SettingsRecord& settings_;
};

} // namespace pelmora

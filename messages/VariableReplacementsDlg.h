#pragma once

#include "ui/OrientedPropertyPage.h"

#include <string>

namespace pelmora {

struct SettingsRecord;

// Lets the user set the words used for callers who are not in the address
// book, and the remove-space option, directly in the live settings record.
class CVariableReplacementsDlg final : public COrientedDialog {
    Q_OBJECT
public:
    // `busyUntilWord`, when given, is what [BUSYUNTIL] says while the
    // calendar shows the user free; it lives beside the settings record.
    CVariableReplacementsDlg(
        SettingsRecord& settings, QWidget* parent, std::u16string* busyUntilWord = nullptr);

    static constexpr int kMaxReplacementChars = 49;
    static constexpr int IDC_BUSY_UNTIL = 1042;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;

private:
    SettingsRecord& settings_;
    std::u16string* busyUntilWord_;
};

} // namespace pelmora

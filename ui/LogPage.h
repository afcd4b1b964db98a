#pragma once

#include "settings/SettingsRecord.h"

#include "ui/OrientedPropertyPage.h"

namespace pelmora {

class CLogListCtrl;

// The Log tab: Clear All, the session clean-up option, the age choice and the
// log list. Its buttons and the list's menu reach the main window first.
class CLogPage final : public COrientedPropertyPage {
    Q_OBJECT
public:
    explicit CLogPage(QWidget* parent = nullptr);

    CLogListCtrl* LogList() const;
    // The age choice (half-hours); -1 when nothing is selected.
    int AgeIndex() const { return ComboGetCurSel(IDC_AGE); }
    bool ClearEverySession() const { return IsDlgButtonChecked(IDC_CLEAR_SESSION) != 0; }

    static constexpr int IDC_CLEAR_ALL = 1031;
    static constexpr int IDC_CLEAR_SESSION = 1028;
    static constexpr int IDC_LOG_LIST = 1029;
    static constexpr int IDC_AGE = 1046;

    // The record's values into the controls, and back.
    void ApplySettings(const SettingsRecord& settings);
    void CollectSettings(SettingsRecord& settings) const;

protected:
    bool OnInitDialog() override;
    // Clear All, and the list's Delete entry; each asks first.
    bool OnCommand(int id) override;
    std::optional<bool> OnUpdateCommand(int id) override;
    void OnSize() override;

private:
    void OnDeleteEntry();
};

} // namespace pelmora

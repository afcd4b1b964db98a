#pragma once

#include "settings/SettingsRecord.h"

#include "ui/OrientedPropertyPage.h"

namespace pelmora {

class CAutoSIPEdit;
struct RuleValues;

// The "Exclude Rules" pane: never answer international numbers, callers the
// contacts do not identify, or numbers that begin with a listed prefix.
// While the program runs its controls are the rule state.
class CExcludeRulesPage final : public COrientedPropertyPage {
    Q_OBJECT
public:
    explicit CExcludeRulesPage(QWidget* parent = nullptr);

    // The page keeps no values of its own: its state is its controls.
    void UpdateData(bool /*toMembers*/) { }
    // Puts the members into the controls, then enables the prefix edit when
    // "Numbers starting with" is checked.
    void RefreshExcludeState();
    // The record's values into the controls, and back.
    void ApplySettings(const SettingsRecord& settings);
    void CollectSettings(SettingsRecord& settings);
    // The exclude rules as the controls hold them now.
    void ReadRules(RuleValues& rules) const;
    CAutoSIPEdit* PrefixEdit() const { return prefixEdit_; }

    static constexpr int IDC_EXCLUDE_GROUP = 1023;
    static constexpr int IDC_INTERNATIONAL = 1020;
    static constexpr int IDC_UNIDENTIFIED = 1021;
    static constexpr int IDC_STARTING_WITH = 1022;
    static constexpr int IDC_PREFIXES = 1024;
    static constexpr int IDC_HELP = 1012;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;

private:
    void ApplyEditState();

    CAutoSIPEdit* prefixEdit_ = nullptr;
};

} // namespace pelmora

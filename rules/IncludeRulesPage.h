#pragma once

#include "settings/SettingsRecord.h"

#include "ui/OrientedPropertyPage.h"

#include <cstdint>

namespace pelmora {

class CAutoSIPEdit;
struct RuleValues;

// The "Include Rules" pane: answer all numbers, or only numbers that begin
// with a listed prefix. While the program runs its controls are the rule
// state; the main window copies them to and from the settings record.
class CIncludeRulesPage final : public COrientedPropertyPage {
    Q_OBJECT
public:
    explicit CIncludeRulesPage(QWidget* parent = nullptr);

    // Exchanges `includeMode` with the radio group: towards the controls
    // checks the button of that index, towards the member reads the index of
    // the checked one (-1 when none is).
    void UpdateData(bool toMembers);
    // Puts the members into the controls, then enables the prefix edit when
    // the prefix mode is chosen.
    void RefreshIncludeState();
    // The record's values into the controls, and back.
    void ApplySettings(const SettingsRecord& settings);
    void CollectSettings(SettingsRecord& settings);
    // The include rule as the controls hold it now.
    void ReadRules(RuleValues& rules) const;
    CAutoSIPEdit* PrefixEdit() const { return prefixEdit_; }

    static constexpr int IDC_INCLUDE_GROUP = 1059;
    static constexpr int IDC_ALL_NUMBERS = 1017;
    static constexpr int IDC_ONLY_STARTING_WITH = 1018;
    static constexpr int IDC_PREFIXES = 1019;
    static constexpr int IDC_HELP = 1011;

    static constexpr int32_t kAllNumbers = 0;
    static constexpr int32_t kOnlyStartingWith = 1;

    int32_t includeMode = kAllNumbers;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;

private:
    void ApplyEditState();

    CAutoSIPEdit* prefixEdit_ = nullptr;
};

} // namespace pelmora

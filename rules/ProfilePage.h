#pragma once

#include "platform/framework/ComboBox.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"
#include "ui/OrientedPropertyPage.h"
#include "ui/SaveAllTarget.h"

#include <functional>
#include <string>

namespace pelmora {

// The Profile tab: the active profile, its default message, and the way to
// the custom messages, the templates and the variable replacements. The
// selected profile is the active one that replies are chosen from. Unlike the
// other pages it handles its own buttons before offering a command to its
// parent.
class CProfilePage final : public COrientedPropertyPage, public ActiveProfileSource {
    Q_OBJECT
public:
    // `settings` holds the active profile's id and the variables' words;
    // `saver` writes every data file.
    CProfilePage(SettingsRecord& settings, SaveAllTarget& saver, QWidget* parent = nullptr);
    ~CProfilePage() override;

    ProfileRecord* ActiveProfile() const override;
    void ShowDefaultMessage();
    void StoreDefaultMessage();
    void StoreActiveProfileId();
    // False (after telling the user) when no profile is selected.
    bool ValidateBeforeStart();
    void MonitorStopped() { }
    void FillProfileCombo(int32_t activeProfileId);
    // Selects `profile` as a tap in the profile combo box would.
    void SelectProfile(const ProfileRecord* profile);

    // What [BUSYUNTIL] says while the calendar shows the user free, kept
    // with Pelmora's own options by whoever owns them; the Variables
    // dialog edits it when both are set.
    std::function<std::u16string()> readBusyUntilWord;
    std::function<void(const std::u16string&)> saveBusyUntilWord;

    static constexpr int IDC_PROFILES = 1006;
    static constexpr int IDC_TEMPLATES = 1007;
    static constexpr int IDC_ADD_PROFILE = 1008;
    static constexpr int IDC_DELETE_PROFILE = 1009;
    static constexpr int IDC_HELP = 1011;
    static constexpr int IDC_VARIABLES = 1033;
    static constexpr int IDC_SET_CUSTOM = 1034;
    static constexpr int IDC_EDIT_MESSAGES = 1035;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void OnNotify(int id, dlg::ControlNotification code) override;

private:
    dlg::CComboBox ProfileCombo() const;
    dlg::CComboBox TemplateCombo() const;
    // Whether combo 1007 lists exactly "<do not send>" and the stored
    // templates; after a template was deleted it no longer does.
    bool ListsTheStoredTemplates() const;
    void RefreshStaleTemplates();
    void OnAddProfile();
    void OnDeleteProfile();
    void OnEditMessages();
    void OnSetCustom();
    void OnVariables();

    SettingsRecord& settings_;
    SaveAllTarget& saver_;
};

} // namespace pelmora

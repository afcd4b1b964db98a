#include "rules/ProfilePage.h"

#include "messages/AddEditMessagesDlg.h"
#include "messages/NewPresetDlg.h"
#include "messages/TemplateCombo.h"
#include "messages/TemplateStore.h"
#include "messages/VariableReplacementsDlg.h"
#include "platform/framework/MessageBox.h"
#include "rules/ProfileCustomMsgsDlg.h"
#include "ui/ShellHelpers.h"

namespace pelmora {

CProfilePage::CProfilePage(SettingsRecord& settings, SaveAllTarget& saver, QWidget* parent)
    : COrientedPropertyPage(parent)
    , settings_(settings)
    , saver_(saver)
{
    SetOffersCommandsToParentFirst(false);
    SetActiveProfileSource(this);
}

CProfilePage::~CProfilePage()
{
    SetActiveProfileSource(nullptr);
}

dlg::CComboBox CProfilePage::ProfileCombo() const
{
    return dlg::CComboBox(Control<QComboBox>(IDC_PROFILES));
}

dlg::CComboBox CProfilePage::TemplateCombo() const
{
    return dlg::CComboBox(Control<QComboBox>(IDC_TEMPLATES));
}

bool CProfilePage::OnInitDialog()
{
    FillTemplateCombo(TemplateCombo(), true);
    FillProfileCombo(settings_.activeProfileId);
    ShowDefaultMessage();
    return true;
}

ProfileRecord* CProfilePage::ActiveProfile() const
{
    const dlg::CComboBox profiles = ProfileCombo();
    const int selection = profiles.GetCurSel();
    if (selection < 0)
        return nullptr;
    // Only a record that is still in the profile list is used: the stores can
    // be freed while the page still shows them.
    const auto* selected = profiles.ItemPointer<ProfileRecord>(selection);
    for (const auto& profile : Profiles())
        if (profile.get() == selected)
            return profile.get();
    return nullptr;
}

void CProfilePage::FillProfileCombo(int32_t activeProfileId)
{
    dlg::CComboBox profiles = ProfileCombo();
    profiles.ResetContent();
    for (const auto& profile : pelmora::Profiles()) {
        const int index = profiles.AddString(profile->name.Text());
        if (profile->id == activeProfileId)
            profiles.SetCurSel(index);
        profiles.SetItemData(index, reinterpret_cast<uintptr_t>(profile.get()));
    }
    if (profiles.GetCurSel() < 0)
        profiles.SetCurSel(0);
}

void CProfilePage::SelectProfile(const ProfileRecord* profile)
{
    dlg::CComboBox profiles = ProfileCombo();
    for (int index = 0; index < profiles.GetCount(); ++index)
        if (profiles.ItemPointer<ProfileRecord>(index) == profile) {
            profiles.SetCurSel(index);
            ShowDefaultMessage();
            return;
        }
}

void CProfilePage::ShowDefaultMessage()
{
    if (const ProfileRecord* profile = ActiveProfile())
        SelectTemplateInCombo(TemplateCombo(), profile->defaultMessageId);
}

bool CProfilePage::ListsTheStoredTemplates() const
{
    const dlg::CComboBox combo = TemplateCombo();
    const TemplateList& stored = Templates();
    if (combo.GetCount() != static_cast<int>(stored.size()) + 1
        || combo.ItemPointer<TemplateRecord>(0) != &DoNotSendTemplate())
        return false;
    for (size_t i = 0; i < stored.size(); ++i)
        if (combo.ItemPointer<TemplateRecord>(static_cast<int>(i) + 1) != stored[i].get())
            return false;
    return true;
}

void CProfilePage::RefreshStaleTemplates()
{
    if (ListsTheStoredTemplates())
        return;
    FillTemplateCombo(TemplateCombo(), true);
    ShowDefaultMessage();
}

void CProfilePage::StoreDefaultMessage()
{
    // The message editor saves everything right after deleting a template,
    // while this combo box still lists it: the deleted record must neither be
    // read nor have its id written back into the profile.
    RefreshStaleTemplates();
    if (ProfileRecord* profile = ActiveProfile())
        profile->defaultMessageId = SelectedTemplateId(TemplateCombo());
}

void CProfilePage::StoreActiveProfileId()
{
    const ProfileRecord* profile = ActiveProfile();
    settings_.activeProfileId = profile ? profile->id : 0;
}

bool CProfilePage::ValidateBeforeStart()
{
    if (!ActiveProfile()) {
        dlg::MessageBox(
            this, u"You must select a valid profile before you can continue", u"Select profile");
        return false;
    }
    StoreDefaultMessage();
    return true;
}

void CProfilePage::OnNotify(int id, dlg::ControlNotification code)
{
    if (code != dlg::ControlNotification::SelChange && code != dlg::ControlNotification::CloseUp)
        return;
    if (id == IDC_PROFILES)
        ShowDefaultMessage();
    else if (id == IDC_TEMPLATES)
        StoreDefaultMessage();
}

bool CProfilePage::OnCommand(int id)
{
    switch (id) {
    case IDC_ADD_PROFILE:
        OnAddProfile();
        return true;
    case IDC_DELETE_PROFILE:
        OnDeleteProfile();
        return true;
    case IDC_HELP:
        LaunchHelp(u"pelmora.htm", u"profilecombo");
        return true;
    case IDC_EDIT_MESSAGES:
        OnEditMessages();
        return true;
    case IDC_SET_CUSTOM:
        OnSetCustom();
        return true;
    case IDC_VARIABLES:
        OnVariables();
        return true;
    default:
        // Not this page's: the main window may know it.
        return dlg::OfferCommandToParent(this, id);
    }
}

void CProfilePage::OnAddProfile()
{
    CNewPresetDlg nameDlg(this);
    if (nameDlg.DoModal() != dlg::IDOK)
        return;
    RefreshStaleTemplates();
    ProfileRecord* profile = AddProfile(nameDlg.name, SelectedTemplateId(TemplateCombo()));
    if (!profile) {
        // Every profile id up to the largest is taken: nothing was added.
        dlg::MessageBox(this, u"The profile could not be added: no more profile ids are available.",
            u"Profile");
        return;
    }
    // Saved before the new profile is selected: the file keeps the profile
    // that was active until now as the active one.
    saver_.SaveAll();
    dlg::CComboBox profiles = ProfileCombo();
    const int index = profiles.AddString(profile->name.Text());
    profiles.SetItemData(index, reinterpret_cast<uintptr_t>(profile));
    profiles.SetCurSel(index);
}

void CProfilePage::OnDeleteProfile()
{
    ProfileRecord* profile = ActiveProfile();
    if (!profile)
        return;
    dlg::CComboBox profiles = ProfileCombo();
    if (profiles.GetCount() == 1) {
        dlg::MessageBox(this,
            u"You can not delete the last profile, at least one profile should exist.", u"Profile");
        return;
    }
    // A script or the schedule may switch the profile while the question is
    // open: the answer is about the profile asked for, wherever it is now.
    const int32_t asked = profile->id;
    if (dlg::MessageBox(this, u"Are you sure you want to delete this profile?", u"Confirm delete",
            dlg::MessageButtons::YesNo)
        != dlg::IDYES)
        return;
    profile = nullptr;
    for (const auto& stored : Profiles())
        if (stored->id == asked)
            profile = stored.get();
    int row = -1;
    for (int index = 0; index < profiles.GetCount(); ++index)
        if (profiles.ItemPointer<ProfileRecord>(index) == profile)
            row = index;
    if (!profile || row < 0 || profiles.GetCount() == 1)
        return;
    const bool wasActive = profiles.GetCurSel() == row;
    if (!DeleteProfile(profile))
        return;
    profiles.DeleteString(row);
    if (wasActive || profiles.GetCurSel() < 0)
        profiles.SetCurSel(0);
    ShowDefaultMessage();
}

void CProfilePage::OnEditMessages()
{
    CAddEditMessagesDlg editor(this);
    editor.mainWindow = &saver_;
    editor.DoModal();
    // The editor may have deleted templates whatever way it was closed; the
    // combo box must not keep items of records that are gone.
    FillTemplateCombo(TemplateCombo(), true);
    ShowDefaultMessage();
}

void CProfilePage::OnSetCustom()
{
    ProfileRecord* profile = ActiveProfile();
    if (!profile) {
        dlg::MessageBox(this, u"You should select a profile first");
        return;
    }
    CProfileCustomMsgsDlg custom(*profile, this);
    custom.mainWindow = &saver_;
    custom.DoModal();
}

void CProfilePage::OnVariables()
{
    const bool ownWord = readBusyUntilWord && saveBusyUntilWord;
    std::u16string word = ownWord ? readBusyUntilWord() : std::u16string();
    const std::u16string before = word;
    CVariableReplacementsDlg variables(settings_, this, ownWord ? &word : nullptr);
    if (variables.DoModal() == dlg::IDOK && word != before)
        saveBusyUntilWord(word);
}

} // namespace pelmora

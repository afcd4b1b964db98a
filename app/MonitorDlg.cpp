#include "app/MonitorDlg.h"

#include "messages/MainPage.h"
#include "messages/TemplateStore.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/ScreenModel.h"
#include "resources/Resources.h"
#include "rules/ExcludeRulesPage.h"
#include "rules/GroupStore.h"
#include "rules/GroupsDlg.h"
#include "rules/IncludeRulesPage.h"
#include "rules/ProfileStore.h"
#include "rules/RulesHolderPage.h"
#include "ui/AboutPage.h"
#include "ui/AdvancedSettingsDlg.h"
#include "ui/LogListCtrl.h"
#include "ui/LogPage.h"
#include "ui/MultiWnd.h"
#include "ui/PageTabCtrl.h"

#include <QCloseEvent>
#include <QIcon>
#include <QShortcut>

namespace pelmora {

namespace {
constexpr int IDC_TABS = 1001;
constexpr int ID_TOOLS_GROUPS = 32793;
constexpr std::array<const char16_t*, 5> kTabCaptions
    = {u"Main", u"Profile", u"Log", u"Rules", u"About..."};
constexpr int kRulesTab = 3;
// The longest prefix list the settings record takes: a read limited to 300
// characters, terminator included.
constexpr size_t kPrefixListRead = 299;
} // namespace

CMonitorDlg::CMonitorDlg(std::filesystem::path dataDir, QWidget* parent)
    : CDialog(IDD_PELMORA_DIALOG, parent)
    , dataDir_(std::move(dataDir))
{
    ConnectProfilesToStores();
    SetControlFactory(IDC_TABS, [](QWidget* parent) { return new CPageTabCtrl(parent); });
}

CMonitorDlg::~CMonitorDlg()
{
    // Only what was loaded is written back: a window whose initialisation
    // stopped early must not replace the user's files with empty ones.
    if (!loaded_)
        return;
    if (logList_)
        logList_->ClearAll();
    SaveAll();
    FreeGroups();
    FreeTemplates();
    FreeProfiles();
}

void CMonitorDlg::LoadSettings()
{
    pelmora::LoadSettings(dataDir_, settings);
}

void CMonitorDlg::SaveAll()
{
    SaveGroups(dataDir_);
    SaveTemplates(dataDir_);
    SaveProfiles(dataDir_);
    CollectSettings();
    SaveSettings(dataDir_, settings);
}

intptr_t CMonitorDlg::SendWindowMessage(uint32_t, uintptr_t, intptr_t)
{
    return 0;
}

bool CMonitorDlg::OnInitDialog()
{
    setWindowIcon(QIcon(dlg::LoadImageResource(IDR_MAINFRAME)));
    LoadGroups(dataDir_);
    LoadTemplates(dataDir_);
    LoadProfiles(dataDir_);
    LoadSettings();
    loaded_ = true;
    FitToScreen();
    BuildPages();
    ApplySettings();

    // On a desktop the phone screen is simulated; Ctrl+R turns it.
    auto* rotate = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(rotate, &QShortcut::activated, this, [] { dlg::ScreenModel::Instance().Rotate(); });
    connect(
        &dlg::ScreenModel::Instance(), &dlg::ScreenModel::Rotated, this, [this] { FitToScreen(); });
    return true;
}

void CMonitorDlg::BuildPages()
{
    tabs_ = Control<CPageTabCtrl>(IDC_TABS);
    if (!tabs_)
        return;
    PlaceTabs();
    logPage_ = new CLogPage(tabs_);
    logPage_->Create(IDD_LOG, IDD_LOG_L, tabs_);
    logList_ = logPage_->LogList();
    pages_[2] = logPage_;
    mainPage_ = new CMainPage(tabs_);
    mainPage_->Create(IDD_MAIN, IDD_MAIN_L, tabs_);
    pages_[0] = mainPage_;
    BuildRulesTab();
    auto* aboutPage = new CAboutPage(tabs_);
    aboutPage->Create(IDD_ABOUT, IDD_ABOUT_L, tabs_);
    pages_[4] = aboutPage;
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (!pages_[i])
            pages_[i] = new QWidget(tabs_);
        pages_[i]->hide();
    }
    for (size_t i = 0; i < pages_.size(); ++i)
        tabs_->AddPage(static_cast<int>(i), kTabCaptions[i], pages_[i]);
    if (rulesPanes_)
        rulesPanes_->RecalcLayout();
}

void CMonitorDlg::BuildRulesTab()
{
    rulesPage_ = new CRulesHolderPage(tabs_);
    rulesPage_->Create(IDD_RULES, IDD_RULES_L, tabs_);
    pages_[kRulesTab] = rulesPage_;
    rulesPanes_ = new CMultiWnd(rulesPage_);
    if (!rulesPanes_->CreateInPlaceOf(
            *rulesPage_, CRulesHolderPage::IDC_PANES, CRulesHolderPage::IDC_PANES, Qt::white))
        return;
    rulesPanes_->SetCollapseAllowed(false);
    includePage_ = new CIncludeRulesPage(rulesPanes_);
    includePage_->Create(IDD_INCLUDE_RULES, IDD_INCLUDE_RULES_L, rulesPanes_);
    excludePage_ = new CExcludeRulesPage(rulesPanes_);
    excludePage_->Create(IDD_EXCLUDE_RULES, IDD_EXCLUDE_RULES_L, rulesPanes_);
    const QString captionFont = QStringLiteral("MS Sans Serif");
    rulesPanes_->AddPane(u"Exclude Rules", excludePage_, captionFont, 97);
    rulesPanes_->AddPane(u"Include Rules", includePage_, captionFont, 97);
    rulesPanes_->SelectLastPane(true);
}

void CMonitorDlg::ApplySettings()
{
    if (mainPage_) {
        mainPage_->ComboSetCurSel(CMainPage::IDC_MAX_PER_CALLER, settings.maxPerCallerIndex);
        mainPage_->CheckDlgButton(CMainPage::IDC_INTERACTIVE, settings.interactive);
        mainPage_->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, settings.ringsBeforeSendIndex);
        mainPage_->ComboSetCurSel(CMainPage::IDC_HANGUP_RINGS, settings.hangupIndex);
    }
    if (logPage_)
        logPage_->ComboSetCurSel(CLogPage::IDC_AGE, settings.logMaxAgeIndex);
    if (mainPage_)
        mainPage_->SetDlgItemInt(CMainPage::IDC_MAX_TOTAL, settings.maxTotal);
    ApplyRuleSettings();
    if (logPage_)
        logPage_->CheckDlgButton(CLogPage::IDC_CLEAR_SESSION, settings.clearLogEachStart);
}

void CMonitorDlg::ApplyRuleSettings()
{
    if (!includePage_ || !excludePage_)
        return;
    includePage_->includeMode = settings.includeMode;
    includePage_->SetDlgItemText(CIncludeRulesPage::IDC_PREFIXES, settings.includePrefixes.Text());
    includePage_->RefreshIncludeState();
    excludePage_->CheckDlgButton(
        CExcludeRulesPage::IDC_INTERNATIONAL, settings.excludeInternational);
    excludePage_->CheckDlgButton(CExcludeRulesPage::IDC_UNIDENTIFIED, settings.excludeUnidentified);
    excludePage_->CheckDlgButton(
        CExcludeRulesPage::IDC_STARTING_WITH, settings.excludeStartingWith);
    excludePage_->SetDlgItemText(CExcludeRulesPage::IDC_PREFIXES, settings.excludePrefixes.Text());
    excludePage_->RefreshExcludeState();
}

void CMonitorDlg::CollectSettings()
{
    if (mainPage_) {
        settings.maxPerCallerIndex = mainPage_->ComboGetCurSel(CMainPage::IDC_MAX_PER_CALLER);
        settings.interactive = mainPage_->IsDlgButtonChecked(CMainPage::IDC_INTERACTIVE);
        settings.ringsBeforeSendIndex = mainPage_->ComboGetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND);
        settings.hangupIndex = mainPage_->ComboGetCurSel(CMainPage::IDC_HANGUP_RINGS);
    }
    if (logPage_)
        settings.logMaxAgeIndex = logPage_->ComboGetCurSel(CLogPage::IDC_AGE);
    if (mainPage_)
        settings.maxTotal = mainPage_->GetDlgItemInt(CMainPage::IDC_MAX_TOTAL);
    CollectRuleSettings();
    if (logPage_)
        settings.clearLogEachStart = logPage_->IsDlgButtonChecked(CLogPage::IDC_CLEAR_SESSION);
}

void CMonitorDlg::CollectRuleSettings()
{
    if (!includePage_ || !excludePage_)
        return;
    includePage_->UpdateData(true);
    excludePage_->UpdateData(true);
    settings.includeMode = includePage_->includeMode;
    const std::u16string include = includePage_->GetDlgItemText(CIncludeRulesPage::IDC_PREFIXES);
    settings.includePrefixes.Assign(std::u16string_view(include).substr(0, kPrefixListRead));
    settings.excludeInternational
        = excludePage_->IsDlgButtonChecked(CExcludeRulesPage::IDC_INTERNATIONAL);
    settings.excludeUnidentified
        = excludePage_->IsDlgButtonChecked(CExcludeRulesPage::IDC_UNIDENTIFIED);
    settings.excludeStartingWith
        = excludePage_->IsDlgButtonChecked(CExcludeRulesPage::IDC_STARTING_WITH);
    const std::u16string exclude = excludePage_->GetDlgItemText(CExcludeRulesPage::IDC_PREFIXES);
    settings.excludePrefixes.Assign(std::u16string_view(exclude).substr(0, kPrefixListRead));
}

bool CMonitorDlg::OnCommand(int id)
{
    switch (id) {
    // The program never ends by a cancel: Escape on any page reaches this
    // window as one and does nothing. OK is the caption's button, which
    // hides the window instead of closing it; until the tray exists it
    // does nothing either.
    case dlg::IDCANCEL:
    case dlg::IDOK:
        return true;
    case CMainPage::IDC_START_STOP:
        OnStartStop();
        return true;
    case CLogPage::IDC_CLEAR_ALL:
        OnClearLog();
        return true;
    case CLogListCtrl::ID_DELETE_ENTRY:
        OnDeleteLogEntry();
        return true;
    case CLogListCtrl::ID_CALL_NUMBER:
        OnCallNumber();
        return true;
    case CAdvancedSettingsDlg::ID_ADVANCED_SETTINGS: {
        CAdvancedSettingsDlg advanced(settings, this, Page(0));
        advanced.DoModal();
        return true;
    }
    case ID_TOOLS_GROUPS: {
        CGroupsDlg groups([this] { SaveAll(); }, this);
        groups.DoModal();
        return true;
    }
    default:
        return CDialog::OnCommand(id);
    }
}

void CMonitorDlg::closeEvent(QCloseEvent* event)
{
    // The window manager's close button acts as the caption's OK.
    event->ignore();
    RouteCommand(dlg::IDOK);
}

std::optional<bool> CMonitorDlg::OnUpdateCommand(int id)
{
    if (id == CLogListCtrl::ID_DELETE_ENTRY)
        return logList_ && logList_->GetSelectionMark() >= 0;
    return std::nullopt;
}

void CMonitorDlg::OnStartStop()
{
    // The button is the main window's; monitoring control is not here yet.
}

void CMonitorDlg::OnClearLog()
{
    if (dlg::MessageBox(this, u"Are you sure you want to clear all calls log?", u"Confirm clear",
            dlg::MessageButtons::YesNo)
        == dlg::IDYES)
        logList_->ClearAll();
}

void CMonitorDlg::OnDeleteLogEntry()
{
    const int mark = logList_ ? logList_->GetSelectionMark() : -1;
    if (mark < 0)
        return;
    if (dlg::MessageBox(this, u"Are you sure you want to delete this individual entry?",
            u"Confirm delete", dlg::MessageButtons::YesNo)
        != dlg::IDYES)
        return;
    logList_->DeleteEntry(mark);
    logList_->RemoveRow(mark);
}

void CMonitorDlg::OnCallNumber()
{
    const int mark = logList_ ? logList_->GetSelectionMark() : -1;
    if (mark >= 0)
        lineMonitor.DialNumber(logList_->RowText(mark, CLogListCtrl::Number));
}

void CMonitorDlg::SelectPage(int index)
{
    if (tabs_)
        tabs_->SelectPage(index);
}

void CMonitorDlg::PlaceTabs()
{
    if (tabs_)
        tabs_->setGeometry(rect());
}

void CMonitorDlg::FitToScreen()
{
    resize(dlg::ScreenModel::Instance().Size());
    PlaceTabs();
}

void CMonitorDlg::OnSize()
{
    PlaceTabs();
}

} // namespace pelmora

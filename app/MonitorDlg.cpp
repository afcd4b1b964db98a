#include "app/MonitorDlg.h"

#include "messages/TemplateStore.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/ScreenModel.h"
#include "resources/Resources.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "ui/LogListCtrl.h"
#include "ui/LogPage.h"
#include "ui/PageTabCtrl.h"

#include <QCloseEvent>
#include <QIcon>
#include <QShortcut>

namespace pelmora {

namespace {
constexpr int IDC_TABS = 1001;
constexpr std::array<const char16_t*, 5> kTabCaptions
    = {u"Main", u"Profile", u"Log", u"Rules", u"About..."};
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
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (!pages_[i])
            pages_[i] = new QWidget(tabs_);
        pages_[i]->hide();
    }
    for (size_t i = 0; i < pages_.size(); ++i)
        tabs_->AddPage(static_cast<int>(i), kTabCaptions[i], pages_[i]);
}

void CMonitorDlg::ApplySettings()
{
    if (!logPage_)
        return;
    logPage_->ComboSetCurSel(CLogPage::IDC_AGE, settings.logMaxAgeIndex);
    logPage_->CheckDlgButton(CLogPage::IDC_CLEAR_SESSION, settings.clearLogEachStart);
}

void CMonitorDlg::CollectSettings()
{
    if (!logPage_)
        return;
    settings.logMaxAgeIndex = logPage_->ComboGetCurSel(CLogPage::IDC_AGE);
    settings.clearLogEachStart = logPage_->IsDlgButtonChecked(CLogPage::IDC_CLEAR_SESSION);
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
    case CLogPage::IDC_CLEAR_ALL:
        OnClearLog();
        return true;
    case CLogListCtrl::ID_DELETE_ENTRY:
        OnDeleteLogEntry();
        return true;
    case CLogListCtrl::ID_CALL_NUMBER:
        OnCallNumber();
        return true;
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

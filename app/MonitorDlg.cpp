#include "app/MonitorDlg.h"

#include "app/DataFiles.h"
#include "app/MainMenuBar.h"
#include "history/HistoryDlg.h"
#include "messages/MainPage.h"
#include "messages/TemplateStore.h"
#include "monitor/MissedCallTexts.h"
#include "platform/ActiveBackends.h"
#include "platform/TimerService.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/ScreenModel.h"
#include "platform/shell/WallClockAlarm.h"
#include "resources/Resources.h"
#include "rules/ExcludeRulesPage.h"
#include "rules/GroupStore.h"
#include "rules/GroupsDlg.h"
#include "rules/IncludeRulesPage.h"
#include "rules/ProfilePage.h"
#include "rules/ProfileStore.h"
#include "rules/RuleTest.h"
#include "rules/RulesHolderPage.h"
#include "schedule/ScheduleDlg.h"
#include "ui/AboutPage.h"
#include "ui/AdvancedSettingsDlg.h"
#include "ui/AutoSIPEdit.h"
#include "ui/LogListCtrl.h"
#include "ui/LogPage.h"
#include "ui/MultiWnd.h"
#include "ui/PageTabCtrl.h"
#include "ui/ShellHelpers.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

namespace pelmora {

namespace {
constexpr int IDC_TABS = 1001;
constexpr std::array<const char16_t*, 5> kTabCaptions
    = {u"Main", u"Profile", u"Log", u"Rules", u"About..."};
constexpr int kRulesTab = 3;
// The longest prefix list the settings record takes: a read limited to 300
// characters, terminator included.
constexpr size_t kPrefixListRead = 299;
constexpr int kAboutTab = 4;

// The C library's reading of a number: leading blanks, a sign, then digits
// up to the first other character; no digits read as 0, and a value beyond
// the range as the largest (or smallest) one.
int32_t LeadingDecimalValue(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - u'0'), INT32_MAX);
    return static_cast<int32_t>(negative ? -value : value);
}
} // namespace

CMonitorDlg::CMonitorDlg(std::filesystem::path dataDir, QWidget* parent)
    : CDialog(IDD_PELMORA_DIALOG, parent)
    , pipeline(settings, contacts, transport, *this, *this, *this, [this] { return clock_(); })
    , dataDir_(std::move(dataDir))
    , clock_(SystemLogClock())
{
    ConnectProfilesToStores();
    SetControlFactory(IDC_TABS, [](QWidget* parent) { return new CPageTabCtrl(parent); });
}

CMonitorDlg::~CMonitorDlg()
{
    pipeline.SetRecorder(nullptr);
    // Only what was loaded is written back: a window whose initialisation
    // stopped early must not replace the user's files with empty ones.
    if (!loaded_)
        return;
    if (logList_)
        logList_->ClearAll();
    if (trayIcon.IsShown())
        trayIcon.Hide(*this);
    // Nobody is left to read a message box: what could not be saved goes
    // to stderr and into a notification.
    if (const std::u16string failed = SaveFailureMessage(WriteDataFiles()); !failed.empty()) {
        std::fprintf(
            stderr, "pelmora: %s\n", QString::fromStdU16String(failed).toUtf8().constData());
        Add(u"Pelmora could not save everything", EscapeHtml(failed), 0, kSaveFailedNotification);
    }
    FreeGroups();
    FreeTemplates();
    FreeProfiles();
}

void CMonitorDlg::LoadSettings()
{
    pelmora::LoadSettings(dataDir_, settings);
}

std::vector<SaveResult> CMonitorDlg::WriteDataFiles()
{
    DataSaveSteps steps;
    steps.beforeProfiles = [this] {
        if (profilePage_)
            profilePage_->StoreDefaultMessage();
    };
    steps.beforeSettings = [this] {
        CollectSettings();
        if (profilePage_)
            profilePage_->StoreActiveProfileId();
        // Inside a window the profile is the schedule's; the user's own comes
        // back when it ends, also after a restart.
        if (schedule_ && schedule_->ProfileBefore())
            settings.activeProfileId = *schedule_->ProfileBefore();
    };
    return SaveDataFiles(dataDir_, settings, steps);
}

bool CMonitorDlg::SaveAndReport()
{
    const std::vector<SaveResult> failures = WriteDataFiles();
    if (!failures.empty())
        dlg::MessageBox(this, SaveFailureMessage(failures), u"Not saved");
    return failures.empty();
}

void CMonitorDlg::SaveAll()
{
    SaveAndReport();
}

void CMonitorDlg::SetClock(LogClock clock)
{
    clock_ = std::move(clock);
    if (logList_)
        logList_->SetClock(clock_);
}

intptr_t CMonitorDlg::SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (message == WM_MISSEDCALL)
        pipeline.OnMissedCall(
            *reinterpret_cast<const std::u16string*>(wParam), static_cast<int32_t>(lParam));
    else if (message == WM_TRAYNOTIFY) {
        RestoreFromTray();
        // The icon carried the folded question: the tap opens it too.
        ReopenQuestion();
    }
    return 0;
}

bool CMonitorDlg::OnInitDialog()
{
    setWindowIcon(QIcon(dlg::LoadImageResource(IDR_MAINFRAME)));
    if (!transport.Init()) {
        // Nothing is loaded and no page is built: closing this window ends
        // the program without writing any data file.
        dlg::MessageBox(this,
            u"Could not initialize sms engine, please reinstall application or contact vendor");
        return true;
    }
    LoadDataFiles(dataDir_, settings);
    // Damaged files are copied aside before anything can replace them, and
    // the user hears of them once.
    if (const std::u16string damaged = KeepDamagedDataFiles(dataDir_, std::time(nullptr));
        !damaged.empty())
        dlg::MessageBox(this, damaged, u"Damaged data files");
    FitToScreen();
    if (!BuildPages()) {
        // Without its tab control the window has nothing to show: the
        // program ends at once, successfully, and the files stay as they are.
        endedAtStart_ = true;
        return true;
    }
    loaded_ = true;
    ApplySettings();
    StartSchedule();
    OpenHistory();
    sipSuppressed = 0;
    if (!autostartSuppressed)
        SetTimer(kAutoStartTimer, kAutoStartDelayMs);

    // On a desktop the phone screen is simulated; Ctrl+R turns it.
    auto* rotate = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(rotate, &QShortcut::activated, this, [] { dlg::ScreenModel::Instance().Rotate(); });
    connect(
        &dlg::ScreenModel::Instance(), &dlg::ScreenModel::Rotated, this, [this] { FitToScreen(); });
    return true;
}

bool CMonitorDlg::BuildPages()
{
    tabs_ = Control<CPageTabCtrl>(IDC_TABS);
    if (!tabs_)
        return false;
    // The menu bar lies above the page area, which keeps the whole screen
    // the page templates were drawn for.
    menuBar_ = new CMainMenuBar(*this);
    menuBar_->show();
    questionBar_ = new QPushButton(
        QString::fromStdU16String(std::u16string(CMissedCallPipeline::kQuestionTitle)), this);
    questionBar_->setObjectName(QStringLiteral("QuestionIndicator"));
    questionBar_->hide();
    connect(questionBar_, &QPushButton::clicked, this, [this] { ReopenQuestion(); });
    connect(
        &NotificationCenter::Instance(), &NotificationCenter::FoldChanged, this, [this](uint id) {
            if (id == kQuestionNotificationId)
                UpdateQuestionIndicator();
        });
    FitToScreen();
    logPage_ = new CLogPage(tabs_);
    logPage_->Create(IDD_LOG, IDD_LOG_L, tabs_);
    logList_ = logPage_->LogList();
    logList_->SetClock(clock_);
    pages_[2] = logPage_;
    mainPage_ = new CMainPage(tabs_);
    mainPage_->Create(IDD_MAIN, IDD_MAIN_L, tabs_);
    pages_[0] = mainPage_;
    profilePage_ = new CProfilePage(*this, tabs_);
    profilePage_->Create(IDD_PROFILE, IDD_PROFILE_L, tabs_);
    pages_[1] = profilePage_;
    BuildRulesTab();
    aboutPage_ = new CAboutPage(tabs_);
    aboutPage_->Create(IDD_ABOUT, IDD_ABOUT_L, tabs_);
    aboutPage_->SetLineBackendName(BackendDescription().toStdU16String());
    pages_[kAboutTab] = aboutPage_;
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (!pages_[i])
            pages_[i] = new QWidget(tabs_);
        pages_[i]->hide();
    }
    for (size_t i = 0; i < pages_.size(); ++i)
        tabs_->AddPage(static_cast<int>(i), kTabCaptions[i], pages_[i]);
    if (rulesPanes_)
        rulesPanes_->RecalcLayout();
    ConnectControlChanges();
    return true;
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
        // Read as Start reads it, so a saved value always starts again.
        settings.maxTotal
            = LeadingDecimalValue(mainPage_->GetDlgItemText(CMainPage::IDC_MAX_TOTAL));
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
    settings.includePrefixes.Assign(CutWhole(include, kPrefixListRead));
    settings.excludeInternational
        = excludePage_->IsDlgButtonChecked(CExcludeRulesPage::IDC_INTERNATIONAL);
    settings.excludeUnidentified
        = excludePage_->IsDlgButtonChecked(CExcludeRulesPage::IDC_UNIDENTIFIED);
    settings.excludeStartingWith
        = excludePage_->IsDlgButtonChecked(CExcludeRulesPage::IDC_STARTING_WITH);
    const std::u16string exclude = excludePage_->GetDlgItemText(CExcludeRulesPage::IDC_PREFIXES);
    settings.excludePrefixes.Assign(CutWhole(exclude, kPrefixListRead));
}

bool CMonitorDlg::OnCommand(int id)
{
    switch (id) {
    case CMainPage::IDC_START_STOP:
        OnStartStop();
        // Only a start by hand offers the home country: after an unattended
        // start nobody may be looking.
        if (IsMonitoring())
            OfferHomeCountry();
        return true;
    case ID_FILE_SAVE:
        if (SaveAndReport())
            dlg::MessageBox(this, u"Settings saved...");
        return true;
    case ID_FILE_EXIT:
        OnExit();
        return true;
    case CAdvancedSettingsDlg::ID_ADVANCED_SETTINGS: {
        CAdvancedSettingsDlg advanced(settings, this, Page(0));
        advanced.SetOwnSettings(ownSettings_, [this](const OwnSettings& changed) {
            return SaveOwnOptions(changed, QStringLiteral("The history options"));
        });
        advanced.DoModal();
        return true;
    }
    case ID_TOOLS_GROUPS: {
        CGroupsDlg groups([this] { SaveAll(); }, this);
        groups.DoModal();
        return true;
    }
    case ID_TOOLS_SCHEDULE: {
        CScheduleDlg dialog(*this, this);
        dialog.DoModal();
        return true;
    }
    case ID_TOOLS_HISTORY:
        OnHistory();
        return true;
    case ID_HELP_FILE:
        LaunchHelp(kHelpFile);
        return true;
    case ID_HELP_ABOUT:
        SelectPage(kAboutTab);
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
    case ID_ANSWER_YES:
        pipeline.OnAnswerYes();
        return true;
    case ID_ANSWER_NO:
        pipeline.OnAnswerNo();
        return true;
    case dlg::IDOK:
        OnOK();
        return true;
    case dlg::IDCANCEL:
        // Escape does not end the program; a window that never loaded has
        // nothing to keep and may go.
        if (!loaded_)
            done(dlg::IDCANCEL);
        return true;
    default:
        return CDialog::OnCommand(id);
    }
}

std::optional<bool> CMonitorDlg::OnUpdateCommand(int id)
{
    if (id == CLogListCtrl::ID_DELETE_ENTRY)
        return logList_ && logList_->GetSelectionMark() >= 0;
    return std::nullopt;
}

void CMonitorDlg::closeEvent(QCloseEvent* event)
{
    // The window manager's close button is the caption's OK: the window
    // hides and monitoring goes on. Only File > Exit ends the program.
    if (ending_ || !loaded_) {
        event->accept();
        if (!ending_)
            done(dlg::IDCANCEL);
        return;
    }
    event->ignore();
    OnOK();
}

void CMonitorDlg::OnStartStop()
{
    if (IsMonitoring())
        StopMonitor();
    else
        StartMonitor();
    Q_EMIT ControlStateChanged();
}

bool CMonitorDlg::ValidateProfileBeforeStart()
{
    // The Profile page asks for a profile and stores the shown message in it.
    if (profilePage_)
        return profilePage_->ValidateBeforeStart();
    if (CurrentActiveProfile())
        return true;
    dlg::MessageBox(
        this, u"You must select a valid profile before you can continue", u"Select profile");
    return false;
}

void CMonitorDlg::StartMonitor()
{
    if (!mainPage_ || !ValidateProfileBeforeStart())
        return;
    if (!contacts.Logon()) {
        dlg::MessageBox(this,
            u"Could not initialize COM objects, please contact the software vendor",
            u"Fatal error");
        return;
    }
    const int32_t maxTotal
        = LeadingDecimalValue(mainPage_->GetDlgItemText(CMainPage::IDC_MAX_TOTAL));
    if (maxTotal < 1) {
        dlg::MessageBox(this, u"Invalid \"Max allowed SMS to send\" please correct its value");
        if (QWidget* edit = mainPage_->GetDlgItem(CMainPage::IDC_MAX_TOTAL))
            edit->setFocus();
        contacts.Logoff();
        return;
    }
    pipeline.maxTotalAtStart = maxTotal;
    ShowRunningImage(true);
    if (logPage_ && logPage_->IsDlgButtonChecked(CLogPage::IDC_CLEAR_SESSION))
        logList_->ClearAll();
    const int hangupIndex = mainPage_->ComboGetCurSel(CMainPage::IDC_HANGUP_RINGS);
    if (!lineMonitor.Open(this, hangupIndex - 1)) {
        dlg::MessageBox(this, u"Could not initialize Phone services", u"Fatal error");
        ShowRunningImage(false);
        contacts.Logoff();
        return;
    }
    mainPage_->EnableDlgItem(CMainPage::IDC_MAX_TOTAL, false);
    mainPage_->SetDlgItemReadOnly(CMainPage::IDC_MAX_TOTAL, true);
    mainPage_->EnableDlgItem(CMainPage::IDC_HANGUP_RINGS, false);
    mainPage_->SetDlgItemText(CMainPage::IDC_START_STOP, u"&Stop Monitor");
    const int ringsIndex = mainPage_->ComboGetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND);
    if (ringsIndex != 0 && hangupIndex != 0 && hangupIndex - 1 <= ringsIndex)
        dlg::MessageBox(this,
            u"Warning: The number of rings before sms send selected is greater than the number "
            u"of rings to hangup, no SMSes will be sent");
}

void CMonitorDlg::SetHomeCountrySource(HomeCountrySource source)
{
    homeCountrySource_ = std::move(source);
}

void CMonitorDlg::OfferHomeCountry()
{
    if (homeCountryOffered_ || !homeCountrySource_ || !settings.internationalPrefix.Text().empty())
        return;
    homeCountryOffered_ = true;
    homeCountrySource_(this, [this](std::optional<HomeCountry> home) {
        // The user may have set a prefix while the modem was being asked.
        if (!home || !settings.internationalPrefix.Text().empty())
            return;
        const std::u16string question
            = QStringLiteral("Your phone reports %1, whose country calling code is %2.\n\nUse %2 "
                             "as the international prefix? Callers from your own country are then "
                             "found in your contacts however the network sends their number, and "
                             "they are not taken for international numbers.")
                  .arg(home->foundFrom, home->callingCode)
                  .toStdU16String();
        if (dlg::MessageBox(this, question, u"International prefix", dlg::MessageButtons::YesNo)
            == dlg::IDYES)
            settings.internationalPrefix.Assign(home->callingCode.toStdU16String());
    });
}

void CMonitorDlg::StopMonitor()
{
    contacts.Logoff();
    lineMonitor.Close();
    if (mainPage_) {
        mainPage_->SetDlgItemText(CMainPage::IDC_START_STOP, u"&Start Monitor");
        mainPage_->SetDlgItemReadOnly(CMainPage::IDC_MAX_TOTAL, false);
        mainPage_->EnableDlgItem(CMainPage::IDC_MAX_TOTAL, true);
        mainPage_->EnableDlgItem(CMainPage::IDC_HANGUP_RINGS, true);
    }
    ShowRunningImage(false);
    if (profilePage_)
        profilePage_->MonitorStopped();
    // The open question stays: a Yes after the stop still sends.
    pipeline.ResetSentCount();
}

void CMonitorDlg::ShowRunningImage(bool running)
{
    if (!mainPage_)
        return;
    mainPage_->ShowDlgItem(CMainPage::IDC_RUNNING_IMAGE, running);
    mainPage_->ShowDlgItem(CMainPage::IDC_STOPPED_IMAGE, !running);
}

void CMonitorDlg::OnOK()
{
    if (!IsMonitoring()
        && dlg::MessageBox(this,
               u"Pelmora is currently not active. Are you sure you want to minimize it?",
               u"Confirm Minimize", dlg::MessageButtons::YesNo)
            != dlg::IDYES)
        return;
    showMinimized();
    hide();
    trayIcon.Show(*this);
}

void CMonitorDlg::HideToTray()
{
    hide();
    trayIcon.Show(*this);
}

void CMonitorDlg::RestoreFromTray()
{
    trayIcon.Hide(*this);
    show();
    showNormal();
}

void CMonitorDlg::BringToFront()
{
    if (trayIcon.IsShown() || isHidden())
        RestoreFromTray();
    raise();
    activateWindow();
}

void CMonitorDlg::OnExit()
{
    if (IsMonitoring()
        && dlg::MessageBox(this,
               u"Pelmora is monitoring your missed calls. If you close this application Pelmora "
               u"will stop monitoring the calls.\n\nIf you want Pelmora to run in the "
               u"background, press on the window's close button instead.\n\nAre you sure you "
               u"want to exit?",
               u"Confirm Stop Monitor", dlg::MessageButtons::YesNo)
            != dlg::IDYES)
        return;
    EndSession();
}

void CMonitorDlg::EndSession()
{
    if (logList_)
        logList_->ClearAll();
    // The line closes and everything is saved when the window is destroyed.
    ending_ = true;
    done(loaded_ ? dlg::IDOK : dlg::IDCANCEL);
}

void CMonitorDlg::OnTimer(int id)
{
    KillTimer(id);
    if (id == kAutoStartTimer) {
        // Monitoring is not running yet; the question of OnOK comes only
        // when this start failed.
        OnStartStop();
        OnOK();
    } else if (id == static_cast<int>(CMissedCallPipeline::kQuestionTimerId)) {
        pipeline.OnQuestionTimeout();
    } else if (id == kScheduleTimer && schedule_) {
        schedule_->Evaluate();
    }
}

void CMonitorDlg::ReplyRefused(std::u16string_view number)
{
    dlg::MessageBox(this, FailedReplyMessage(number));
}

MissedCallOptions CMonitorDlg::ReadOptions() const
{
    MissedCallOptions options;
    if (mainPage_) {
        options.ringsBeforeSendIndex = mainPage_->ComboGetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND);
        options.maxPerCallerIndex = mainPage_->ComboGetCurSel(CMainPage::IDC_MAX_PER_CALLER);
        options.interactive = mainPage_->IsDlgButtonChecked(CMainPage::IDC_INTERACTIVE) != 0;
    }
    if (logPage_)
        options.logAgeIndex = logPage_->ComboGetCurSel(CLogPage::IDC_AGE);
    RuleValues rules;
    if (includePage_)
        includePage_->ReadRules(rules);
    if (excludePage_)
        excludePage_->ReadRules(rules);
    rules.homePrefix = settings.internationalPrefix.Text();
    options.quietMinutes = ownSettings_.quietMinutes;
    options.passesRules = [rules](std::u16string_view number, bool identified) {
        return PassesRules(number, identified, rules);
    };
    return options;
}

void CMonitorDlg::StartTimer(uint32_t timerId, uint32_t milliseconds)
{
    SetTimer(static_cast<int>(timerId), static_cast<int>(milliseconds));
}

void CMonitorDlg::ShowSentCount(int32_t count)
{
    if (mainPage_)
        mainPage_->SetDlgItemInt(CMainPage::IDC_SENT_COUNT, count);
    Q_EMIT ControlStateChanged();
}

bool CMonitorDlg::Add(
    std::u16string_view title, std::u16string_view html, uint32_t durationSeconds, uint32_t id)
{
    const bool shown = AddNotification(title, html, windowIcon(), durationSeconds, this, id);
    UpdateQuestionIndicator();
    Q_EMIT NotificationAdded(id, QString::fromStdU16String(std::u16string(title)),
        QString::fromStdU16String(std::u16string(html)));
    Q_EMIT ControlStateChanged();
    return shown;
}

bool CMonitorDlg::Remove(uint32_t id)
{
    const bool removed = RemoveNotification(id);
    UpdateQuestionIndicator();
    Q_EMIT NotificationRemoved(id);
    // The question is withdrawn before the pipeline lets go of it.
    QTimer::singleShot(0, this, &CMonitorDlg::ControlStateChanged);
    return removed;
}

QRect CMonitorDlg::BubbleRect() const
{
    QWidget* page = tabs_ ? tabs_->CurrentPage() : nullptr;
    if (!page || !mainPage_)
        return {};
    QRect area(page->mapToGlobal(QPoint(0, 0)), page->size());
    // Every page lies in the same place, so the Main page's button marks
    // the top on any tab; the menu and the indicator lie above the pages.
    if (QWidget* button = mainPage_->GetDlgItem(CMainPage::IDC_START_STOP)) {
        constexpr int kGap = 2;
        const QPoint below = mainPage_->mapToGlobal(button->geometry().bottomLeft());
        area.setTop(std::max(area.top(), below.y() + 1 + kGap));
    }
    return area;
}

void CMonitorDlg::UpdateQuestionIndicator()
{
    const bool folded
        = NotificationCenter::Instance().IsFolded(kNotificationClass, kQuestionNotificationId);
    trayIcon.SetWaiting(folded ? CMissedCallPipeline::kQuestionTitle : std::u16string_view());
    if (!questionBar_ || questionBar_->isHidden() != folded)
        return;
    questionBar_->setVisible(folded);
    FitToScreen();
}

void CMonitorDlg::ReopenQuestion()
{
    if (NotificationCenter::Instance().IsFolded(kNotificationClass, kQuestionNotificationId))
        NotificationCenter::Instance().Reopen(kNotificationClass, kQuestionNotificationId);
}

void CMonitorDlg::DeleteOlderThan(int32_t halfHours)
{
    if (logList_)
        logList_->DeleteOlderThan(halfHours);
}

std::vector<CallLogKey> CMonitorDlg::Keys() const
{
    std::vector<CallLogKey> keys;
    if (!logList_)
        return keys;
    for (int row = 0; row < logList_->RowCount(); ++row)
        keys.push_back({logList_->RowText(row, CLogListCtrl::Number),
            logList_->RowText(row, CLogListCtrl::SmsSent)});
    return keys;
}

void CMonitorDlg::AppendRow(const CallLogRow& row)
{
    if (!logList_)
        return;
    const int index = logList_->InsertRow(row.number, row.stamp);
    logList_->SetRowText(index, CLogListCtrl::Caller, row.caller);
    logList_->SetRowText(index, CLogListCtrl::Time, row.time);
    logList_->SetRowText(index, CLogListCtrl::Rings, row.rings);
    logList_->SetRowText(index, CLogListCtrl::SmsSent, row.smsSent);
    Q_EMIT MissedCallLogged(QString::fromStdU16String(row.number),
        QString::fromStdU16String(row.caller), QString::fromStdU16String(row.smsSent));
}

void CMonitorDlg::SetRowStatus(const CallLogRow& row, std::u16string_view smsSent)
{
    if (!logList_)
        return;
    for (int index = logList_->RowCount() - 1; index >= 0; --index) {
        auto text = [&](int column) { return logList_->RowText(index, column); };
        if (text(CLogListCtrl::Number) == row.number && text(CLogListCtrl::Caller) == row.caller
            && text(CLogListCtrl::Time) == row.time && text(CLogListCtrl::Rings) == row.rings
            && text(CLogListCtrl::SmsSent) == row.smsSent) {
            logList_->SetRowText(index, CLogListCtrl::SmsSent, smsSent);
            Q_EMIT MissedCallLogged(QString::fromStdU16String(row.number),
                QString::fromStdU16String(row.caller),
                QString::fromStdU16String(std::u16string(smsSent)));
            return;
        }
    }
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

void CMonitorDlg::OnHistory()
{
    if (!history_) {
        dlg::MessageBox(this, u"The history opens once the settings are loaded.", u"History");
        return;
    }
    CHistoryDlg dialog(
        *history_, [this](const std::u16string& number) { lineMonitor.DialNumber(number); }, this);
    dialog.DoModal();
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

int CMonitorDlg::BarsHeight() const
{
    int height = menuBar_ ? menuBar_->sizeHint().height() : 0;
    if (questionBar_ && !questionBar_->isHidden())
        height += questionBar_->sizeHint().height();
    return height;
}

void CMonitorDlg::PlaceTabs()
{
    const dlg::ScreenModel& screen = dlg::ScreenModel::Instance();
    if (menuBar_ && tabs_ && screen.IsPhone() && dlg::IsLandscape()) {
        // A turned phone has height to spare for neither bar: the menu bar
        // sits at the end of the tab row, and the pages keep the rest
        // below the question's bar when it shows.
        int top = 0;
        if (questionBar_ && !questionBar_->isHidden()) {
            top = questionBar_->sizeHint().height();
            questionBar_->setGeometry(0, 0, width(), top);
        }
        tabs_->setGeometry(0, top, width(), height() - top);
        const QTabBar* bar = tabs_->Bar();
        const int used = bar->count() > 0 ? bar->tabRect(bar->count() - 1).right() + 1 : 0;
        const int menuWidth = menuBar_->sizeHint().width();
        const int rowHeight = bar->sizeHint().height();
        menuBar_->setGeometry(std::max(used, width() - menuWidth), height() - rowHeight,
            std::min(menuWidth, width() - used), rowHeight);
        menuBar_->raise();
        return;
    }
    int top = 0;
    if (menuBar_) {
        top = menuBar_->sizeHint().height();
        menuBar_->setGeometry(0, 0, width(), top);
    }
    if (questionBar_ && !questionBar_->isHidden()) {
        const int height = questionBar_->sizeHint().height();
        questionBar_->setGeometry(0, top, width(), height);
        top += height;
    }
    if (tabs_)
        tabs_->setGeometry(0, top, width(), height() - top);
}

void CMonitorDlg::FitToScreen()
{
    const dlg::ScreenModel& model = dlg::ScreenModel::Instance();
    RefreshScale();
    const QSize screen = model.Size();
    // The simulated screen is the page area, with the bars above it; a
    // phone's screen holds them all.
    if (model.IsPhone())
        resize(screen);
    else
        resize(screen.width(), screen.height() + BarsHeight());
    PlaceTabs();
}

void CMonitorDlg::OnSize()
{
    PlaceTabs();
    NotificationCenter::Instance().PlaceBubblesOf(this);
    // A page laid out again for the other orientation takes its template's
    // visibility and captions: the monitor's state is shown anew, or a
    // running monitor would offer "Start Monitor" and the counter read 0.
    ShowRunningImage(IsMonitoring());
    if (mainPage_) {
        mainPage_->SetDlgItemText(
            CMainPage::IDC_START_STOP, IsMonitoring() ? u"&Stop Monitor" : u"&Start Monitor");
        ShowSentCount(pipeline.sentCount);
    }
    ShowScheduleNote();
}

void CMonitorDlg::ConnectControlChanges()
{
    // Taps on the profile and interactive controls change what the control
    // interface shows.
    const auto changed = [this] { Q_EMIT ControlStateChanged(); };
    if (profilePage_)
        if (auto* combo = profilePage_->Control<QComboBox>(CProfilePage::IDC_PROFILES))
            connect(combo, &QComboBox::currentIndexChanged, this, changed);
    if (mainPage_)
        if (auto* box = mainPage_->Control<QAbstractButton>(CMainPage::IDC_INTERACTIVE))
            connect(box, &QAbstractButton::toggled, this, changed);
}

ControlState CMonitorDlg::ReadControlState() const
{
    ControlState state;
    state.monitoring = IsMonitoring();
    state.sentCount = static_cast<uint32_t>(std::max(pipeline.sentCount, 0));
    if (const ProfileRecord* active = CurrentActiveProfile())
        state.activeProfile = QString::fromStdU16String(active->name.Text());
    for (const auto& profile : Profiles())
        state.profiles << QString::fromStdU16String(profile->name.Text());
    state.interactive = mainPage_ ? mainPage_->IsDlgButtonChecked(CMainPage::IDC_INTERACTIVE) != 0
                                  : settings.interactive != 0;
    if (schedule_) {
        state.schedule = QString::fromUtf8(QJsonDocument(
            OwnSettingsToJson(ownSettings_).value(QStringLiteral("schedule")).toArray())
                                               .toJson(QJsonDocument::Compact));
        state.nextChange = ScheduleNote();
    }
    if (pipeline.pendingReply.IsPending()) {
        const std::optional<CallLogRow>& row = pipeline.QuestionRow();
        state.pendingQuestion = {
            {QStringLiteral("number"), QString::fromStdU16String(pipeline.pendingReply.number)},
            {QStringLiteral("name"), row ? QString::fromStdU16String(row->caller) : QString()},
            {QStringLiteral("text"), QString::fromStdU16String(pipeline.pendingReply.text)},
        };
    }
    return state;
}

QString CMonitorDlg::ControlStart()
{
    if (IsMonitoring())
        return {};
    dlg::ScopedMessageBoxCapture boxes;
    OnStartStop();
    if (IsMonitoring())
        return {};
    return boxes.Texts().empty() ? QStringLiteral("Monitoring could not be started.")
                                 : QString::fromStdU16String(boxes.Texts().front());
}

void CMonitorDlg::ControlStop()
{
    if (IsMonitoring())
        OnStartStop();
}

QString CMonitorDlg::ControlSetActiveProfile(const QString& name)
{
    const std::u16string wanted = name.toStdU16String();
    for (const auto& profile : Profiles()) {
        if (profile->name.Text() != wanted)
            continue;
        if (profilePage_)
            profilePage_->SelectProfile(profile.get());
        else
            settings.activeProfileId = profile->id;
        Q_EMIT ControlStateChanged();
        return {};
    }
    return QStringLiteral("There is no profile named \"%1\".").arg(name);
}

void CMonitorDlg::ControlSetInteractive(bool interactive)
{
    if (mainPage_)
        mainPage_->CheckDlgButton(CMainPage::IDC_INTERACTIVE, interactive ? 1 : 0);
    else
        settings.interactive = interactive ? 1 : 0;
    Q_EMIT ControlStateChanged();
}

QString CMonitorDlg::ControlAnswer(bool yes)
{
    dlg::ScopedMessageBoxCapture boxes;
    OnCommand(yes ? ID_ANSWER_YES : ID_ANSWER_NO);
    return boxes.Texts().empty() ? QString() : QString::fromStdU16String(boxes.Texts().front());
}

void CMonitorDlg::ControlQuit()
{
    if (loaded_)
        EndSession();
    else
        done(dlg::IDCANCEL);
}

void CMonitorDlg::StartSchedule()
{
    QString error;
    if (!LoadOwnSettings(dataDir_, ownSettings_, error)) {
        ownSettingsDamaged_ = true;
        std::fprintf(stderr, "pelmora: %s\n", error.toLocal8Bit().constData());
        dlg::MessageBox(this,
            QStringLiteral("The schedule could not be read (%1). It is not used now, and the file "
                           "is kept as it is until you change the schedule.")
                .arg(error)
                .toStdU16String());
    }
    schedule_ = std::make_unique<ScheduleRunner>(
        *this, [this] { return QDateTime::fromSecsSinceEpoch(clock_()); }, zone_);
    // The program's own wake-ups follow the wall clock through suspend and
    // clock changes; a simulated clock fires the window's timer instead.
    if (!CurrentTimerService()) {
        scheduleAlarm_ = new WallClockAlarm(this);
        connect(scheduleAlarm_, &WallClockAlarm::Due, this, [this] { schedule_->Evaluate(); });
    }
    // A window that began while Pelmora was not running applies now.
    schedule_->SetSchedule(ownSettings_.schedule);
}

void CMonitorDlg::OpenHistory()
{
    // A history that cannot be kept is told once, without a modal box: it
    // may come in the middle of a reply.
    history_ = std::make_unique<CallHistory>(dataDir_, clock_(),
        HistoryKeepSeconds(ownSettings_.historyKeep), [this](const QString& problem) {
            Add(u"Pelmora's history", EscapeHtml(problem.toStdU16String()), 0,
                kHistoryProblemNotification);
        });
    pipeline.SetRecorder(history_.get());
}

bool CMonitorDlg::ChangeSchedule(WeeklySchedule schedule)
{
    OwnSettings changed = ownSettings_;
    changed.schedule = std::move(schedule);
    if (!SaveOwnOptions(std::move(changed), QStringLiteral("The schedule")))
        return false;
    if (schedule_)
        schedule_->SetSchedule(ownSettings_.schedule);
    return true;
}

bool CMonitorDlg::SaveOwnOptions(OwnSettings changed, const QString& what)
{
    const std::filesystem::path file = dataDir_ / kOwnSettingsFileName;
    if (ownSettingsDamaged_) {
        // The unreadable file is kept beside the new one.
        std::error_code ignored;
        const std::filesystem::path aside = file.string() + ".damaged-"
            + QDateTime::currentDateTime()
                  .toString(QStringLiteral("yyyyMMdd-HHmmss"))
                  .toStdString();
        std::filesystem::rename(file, aside, ignored);
    }
    if (!SaveOwnSettings(dataDir_, changed)) {
        dlg::MessageBox(this,
            QStringLiteral("%1 could not be saved to %2.")
                .arg(what, QString::fromStdString(file.string()))
                .toStdU16String());
        return false;
    }
    ownSettingsDamaged_ = false;
    ownSettings_ = std::move(changed);
    return true;
}

int32_t CMonitorDlg::ScheduleActiveProfileId() const
{
    const ProfileRecord* active = CurrentActiveProfile();
    return active ? active->id : settings.activeProfileId;
}

bool CMonitorDlg::ScheduleSetActiveProfile(int32_t id)
{
    for (const auto& profile : Profiles()) {
        if (profile->id != id)
            continue;
        if (ScheduleActiveProfileId() != id)
            Q_EMIT ScheduleActed(
                QStringLiteral("profile"), QString::fromStdU16String(profile->name.Text()));
        if (profilePage_)
            profilePage_->SelectProfile(profile.get());
        else
            settings.activeProfileId = id;
        Q_EMIT ControlStateChanged();
        return true;
    }
    return false;
}

QString CMonitorDlg::ScheduleStart()
{
    const QString refusal = ControlStart();
    if (IsMonitoring())
        Q_EMIT ScheduleActed(QStringLiteral("monitoring"), QStringLiteral("on"));
    return refusal;
}

void CMonitorDlg::ScheduleStop()
{
    ControlStop();
    Q_EMIT ScheduleActed(QStringLiteral("monitoring"), QStringLiteral("off"));
}

void CMonitorDlg::ScheduleTellUser(const QString& text)
{
    std::fprintf(stderr, "pelmora: %s\n", text.toLocal8Bit().constData());
    Add(u"Pelmora schedule", text.toHtmlEscaped().toStdU16String(), 60, kScheduleNoticeId);
}

void CMonitorDlg::ScheduleWakeAt(const std::optional<QDateTime>& at)
{
    if (scheduleAlarm_) {
        scheduleAlarm_->ArmAt(at);
    } else if (at) {
        const int64_t ms
            = std::clamp<int64_t>((at->toSecsSinceEpoch() - clock_()) * 1000, 0, INT_MAX);
        SetTimer(kScheduleTimer, static_cast<int>(ms));
    } else {
        KillTimer(kScheduleTimer);
    }
    ShowScheduleNote();
    Q_EMIT ControlStateChanged();
}

QString CMonitorDlg::ScheduleNote() const
{
    if (!schedule_)
        return {};
    return schedule_->NextChangeText([](int32_t id) {
        for (const auto& profile : Profiles())
            if (profile->id == id)
                return QString::fromStdU16String(profile->name.Text());
        return QStringLiteral("profile %1").arg(id);
    });
}

void CMonitorDlg::ShowScheduleNote()
{
    if (!mainPage_ || !schedule_)
        return;
    const QString note = ScheduleNote();
    mainPage_->SetDlgItemText(CMainPage::IDC_SCHEDULE_NOTE, note.toStdU16String());
    mainPage_->ShowDlgItem(CMainPage::IDC_SCHEDULE_NOTE, !note.isEmpty());
}

} // namespace pelmora

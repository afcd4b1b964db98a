#include "app/MonitorDlg.h"

#include "app/DataFiles.h"
#include "app/MainMenuBar.h"
#include "history/HistoryDlg.h"
#include "messages/MainPage.h"
#include "messages/TemplateStore.h"
#include "monitor/MissedCallTexts.h"
#include "platform/ActiveBackends.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/ScreenModel.h"
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
#include "ui/MainWindowLayout.h"
#include "ui/MultiWnd.h"
#include "ui/PageTabCtrl.h"
#include "ui/ShellHelpers.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QPushButton>
#include <QShortcut>

#include <cstdint>
#include <cstdio>

namespace pelmora {

namespace {
constexpr int IDC_TABS = 1001;
constexpr std::array<const char16_t*, 5> kTabCaptions
    = {u"Main", u"Profile", u"Log", u"Rules", u"About..."};
constexpr int kRulesTab = 3;
constexpr int kAboutTab = 4;
} // namespace

CMonitorDlg::CMonitorDlg(std::filesystem::path dataDir, QWidget* parent)
    : CDialog(IDD_PELMORA_DIALOG, parent)
    , session_(dataDir, *this)
    , settings(session_.settings)
    , lineMonitor(session_.lineMonitor)
    , contacts(session_.contacts)
    , transport(session_.transport)
    , pipeline(session_.pipeline)
    , dataDir_(std::move(dataDir))
    , clock_(SystemLogClock())
{
    ConnectProfilesToStores();
    SetControlFactory(IDC_TABS, [](QWidget* parent) { return new CPageTabCtrl(parent); });
    connect(&session_, &MonitoringSession::QuitRequested, this, [this] {
        if (loaded_)
            EndSession();
        else
            done(dlg::IDCANCEL);
    });
}

CMonitorDlg::~CMonitorDlg()
{
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
        Add(u"Pelmora could not save everything", EscapeHtml(failed), 0, kSaveFailedNotice);
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
        settings.activeProfileId = session_.ProfileToSave(settings.activeProfileId);
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
    clock_ = clock;
    session_.SetClock(std::move(clock));
    if (logList_)
        logList_->SetClock(clock_);
}

intptr_t CMonitorDlg::SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (message == WM_MISSEDCALL)
        session_.OnMissedCall(
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
    ConnectSession();
    if (const QString problem = session_.Open(); !problem.isEmpty())
        dlg::MessageBox(this, problem.toStdU16String());
    ShowScheduleNote();
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
    profilePage_ = new CProfilePage(settings, *this, tabs_);
    profilePage_->readBusyUntilWord
        = [this] { return session_.Options().busyUntilWord.toStdU16String(); };
    profilePage_->saveBusyUntilWord = [this](const std::u16string& word) {
        OwnSettings changed = session_.Options();
        changed.busyUntilWord = QString::fromStdU16String(word);
        if (const QString problem
            = session_.SaveOptions(std::move(changed), QStringLiteral("The word for [BUSYUNTIL]"));
            !problem.isEmpty())
            dlg::MessageBox(this, problem.toStdU16String());
    };
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
    return true;
}

void CMonitorDlg::BuildRulesTab()
{
    rulesPage_ = new CRulesHolderPage(tabs_);
    rulesPage_->Create(IDD_RULES, IDD_RULES_L, tabs_);
    pages_[kRulesTab] = rulesPage_;
    rulesPanes_ = new CMultiWnd(rulesPage_);
    rulesPanes_->setAccessibleName(QStringLiteral("Rules"));
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
    if (mainPage_)
        mainPage_->ApplySettings(settings);
    if (logPage_)
        logPage_->ApplySettings(settings);
    if (includePage_ && excludePage_) {
        includePage_->ApplySettings(settings);
        excludePage_->ApplySettings(settings);
    }
}

void CMonitorDlg::CollectSettings()
{
    if (mainPage_)
        mainPage_->CollectSettings(settings);
    if (logPage_)
        logPage_->CollectSettings(settings);
    if (includePage_ && excludePage_) {
        includePage_->CollectSettings(settings);
        excludePage_->CollectSettings(settings);
    }
}

bool CMonitorDlg::OnCommand(int id)
{
    switch (id) {
    case CMainPage::IDC_START_STOP:
        OnStartStop();
        // Only a start by hand offers the home country: after an unattended
        // start nobody may be looking.
        if (IsMonitoring())
            homeCountry_.Offer(this, settings);
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
        advanced.SetOwnSettings(session_.Options(), [this](const OwnSettings& changed) {
            const QString problem
                = session_.SaveOptions(changed, QStringLiteral("The history options"));
            if (!problem.isEmpty())
                dlg::MessageBox(this, problem.toStdU16String());
            return problem.isEmpty();
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
        CScheduleDlg dialog(
            session_.Schedule(), session_.Options().calendarBusyProfileId,
            [this](const WeeklySchedule& changed, int32_t calendarProfileId) {
                return ChangeSchedule(changed, calendarProfileId);
            },
            this);
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
    case CLogListCtrl::ID_CALL_NUMBER:
        OnCallNumber();
        return true;
    case ID_ANSWER_YES:
    case ID_ANSWER_NO:
        session_.Answer(id == ID_ANSWER_YES, Hand::User);
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
        session_.Stop(Hand::User);
    else
        ShowStartResult(session_.Start(Hand::User));
}

void CMonitorDlg::ShowStartResult(const StartResult& result)
{
    if (result.text.empty())
        return;
    dlg::MessageBox(this, result.text, result.title);
    if (result.problem == StartResult::Problem::MaxTotal && mainPage_)
        if (QWidget* edit = mainPage_->GetDlgItem(CMainPage::IDC_MAX_TOTAL))
            edit->setFocus();
}

StartInputs CMonitorDlg::ReadStartInputs() const
{
    StartInputs inputs;
    if (mainPage_) {
        inputs.maxTotal = mainPage_->MaxTotal();
        inputs.ringsBeforeSendIndex = mainPage_->ComboGetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND);
        inputs.hangupIndex = mainPage_->ComboGetCurSel(CMainPage::IDC_HANGUP_RINGS);
    }
    inputs.clearLog = logPage_ && logPage_->IsDlgButtonChecked(CLogPage::IDC_CLEAR_SESSION);
    return inputs;
}

void CMonitorDlg::PrepareStart()
{
    if (profilePage_)
        profilePage_->StoreDefaultMessage();
}

void CMonitorDlg::ClearLog()
{
    if (logList_)
        logList_->ClearAll();
}

void CMonitorDlg::SelectProfile(const ProfileRecord& profile)
{
    if (profilePage_)
        profilePage_->SelectProfile(&profile);
    else
        settings.activeProfileId = profile.id;
}

void CMonitorDlg::SetInteractive(bool interactive)
{
    if (mainPage_)
        mainPage_->CheckDlgButton(CMainPage::IDC_INTERACTIVE, interactive ? 1 : 0);
    else
        settings.interactive = interactive ? 1 : 0;
}

void CMonitorDlg::ShowMonitoring()
{
    const bool running = IsMonitoring();
    if (!mainPage_)
        return;
    mainPage_->ShowDlgItem(CMainPage::IDC_RUNNING_IMAGE, running);
    mainPage_->ShowDlgItem(CMainPage::IDC_STOPPED_IMAGE, !running);
    mainPage_->EnableDlgItem(CMainPage::IDC_MAX_TOTAL, !running);
    mainPage_->SetDlgItemReadOnly(CMainPage::IDC_MAX_TOTAL, running);
    mainPage_->EnableDlgItem(CMainPage::IDC_HANGUP_RINGS, !running);
    mainPage_->SetDlgItemText(
        CMainPage::IDC_START_STOP, running ? u"&Stop Monitor" : u"&Start Monitor");
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
    // A question still open comes back with the window, in its place there.
    ReopenQuestion();
    NotificationCenter::Instance().PlaceBubblesOf(this);
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
    // A phone shell has no close button to name: its window is closed from
    // the shell's list of open apps.
    const std::u16string_view background = dlg::ScreenModel::Instance().IsPhone()
        ? u"close its window instead (from the list of open apps); it keeps monitoring"
        : u"press on the window's close button instead";
    if (IsMonitoring()
        && dlg::MessageBox(this,
               u"Pelmora is monitoring your missed calls. If you close this application Pelmora "
               u"will stop monitoring the calls.\n\nIf you want Pelmora to run in the "
               u"background, "
                   + std::u16string(background) + u".\n\nAre you sure you want to exit?",
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
        // Never a toggle; held off by the schedule, the window hides unasked.
        const StartResult result = session_.AutoStart();
        ShowStartResult(result);
        result.problem == StartResult::Problem::None ? HideToTray() : OnOK();
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
    options.passesRules = [rules](std::u16string_view number, bool identified) {
        return PassesRules(number, identified, rules);
    };
    return options;
}

bool CMonitorDlg::Add(
    std::u16string_view title, std::u16string_view html, uint32_t durationSeconds, uint32_t id)
{
    const bool shown = AddNotification(title, html, windowIcon(), durationSeconds, this, id);
    UpdateQuestionIndicator();
    Q_EMIT NotificationAdded(id, QString::fromStdU16String(std::u16string(title)),
        QString::fromStdU16String(std::u16string(html)));
    return shown;
}

bool CMonitorDlg::Remove(uint32_t id)
{
    const bool removed = RemoveNotification(id);
    UpdateQuestionIndicator();
    Q_EMIT NotificationRemoved(id);
    return removed;
}

QRect CMonitorDlg::BubbleRect() const
{
    return BubbleRectBelow(
        Parts(), mainPage_ ? mainPage_->GetDlgItem(CMainPage::IDC_START_STOP) : nullptr);
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
    if (logList_)
        logList_->AppendRow(row);
}

void CMonitorDlg::SetRowStatus(const CallLogRow& row, std::u16string_view smsSent)
{
    if (logList_)
        logList_->SetRowStatus(row, smsSent);
}

void CMonitorDlg::OnHistory()
{
    if (!session_.History()) {
        dlg::MessageBox(this, u"The history opens once the settings are loaded.", u"History");
        return;
    }
    CHistoryDlg dialog(
        *session_.History(),
        [this](const std::u16string& number) { lineMonitor.DialNumber(number); }, this);
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

MainWindowParts CMonitorDlg::Parts() const
{
    return {const_cast<CMonitorDlg*>(this), menuBar_, questionBar_, tabs_};
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
        resize(screen.width(), screen.height() + BarsHeight(Parts()));
    PlaceMainWindowParts(Parts());
    // The question bar came or went: a bubble keeps clear of the tab row.
    NotificationCenter::Instance().PlaceBubblesOf(this);
}

void CMonitorDlg::OnSize()
{
    PlaceMainWindowParts(Parts());
    NotificationCenter::Instance().PlaceBubblesOf(this);
    // A page laid out again for the other orientation takes its template's
    // visibility and captions: the monitor's state is shown anew, or a
    // running monitor would offer "Start Monitor" and the counter read 0.
    ShowMonitoring();
    if (mainPage_)
        mainPage_->SetDlgItemInt(CMainPage::IDC_SENT_COUNT, pipeline.sentCount);
    ShowScheduleNote();
}

void CMonitorDlg::ConnectSession()
{
    connect(&session_, &MonitoringSession::MonitoringChanged, this, [this] { ShowMonitoring(); });
    connect(&session_, &MonitoringSession::SentCountChanged, this, [this](int32_t count) {
        if (mainPage_)
            mainPage_->SetDlgItemInt(CMainPage::IDC_SENT_COUNT, count);
    });
    connect(
        &session_, &MonitoringSession::ScheduleNoteChanged, this, &CMonitorDlg::ShowScheduleNote);
    // A tap on the profile is a choice the schedule respects; interactive
    // mode is shown over the bus.
    if (profilePage_)
        if (auto* combo = profilePage_->Control<QComboBox>(CProfilePage::IDC_PROFILES))
            connect(combo, &QComboBox::currentIndexChanged, &session_,
                &MonitoringSession::ProfileChosen);
    if (mainPage_)
        if (auto* box = mainPage_->Control<QAbstractButton>(CMainPage::IDC_INTERACTIVE))
            connect(box, &QAbstractButton::toggled, &session_, &MonitoringSession::StateChanged);
}

bool CMonitorDlg::ChangeSchedule(WeeklySchedule schedule, std::optional<int32_t> calendarProfileId)
{
    const QString problem = session_.ChangeSchedule(std::move(schedule), calendarProfileId);
    if (!problem.isEmpty())
        dlg::MessageBox(this, problem.toStdU16String());
    return problem.isEmpty();
}

void CMonitorDlg::ShowScheduleNote()
{
    if (!mainPage_)
        return;
    const QString note = session_.ScheduleNote();
    mainPage_->SetDlgItemText(CMainPage::IDC_SCHEDULE_NOTE, note.toStdU16String());
    mainPage_->ShowDlgItem(CMainPage::IDC_SCHEDULE_NOTE, !note.isEmpty());
}

} // namespace pelmora

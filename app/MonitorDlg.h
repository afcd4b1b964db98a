#pragma once

#include "app/TrayIcon.h"
#include "platform/WindowMessage.h"
#include "platform/framework/Dialog.h"
#include "platform/shell/Notifications.h"
#include "session/MonitoringSession.h"
#include "ui/HomeCountryOffer.h"
#include "ui/MainWindowLayout.h"
#include "ui/SaveAllTarget.h"

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QPushButton;

namespace pelmora {

class CAboutPage;
class CMainMenuBar;
class CPageTabCtrl;
class CLogPage;
class CMainPage;
class CLogListCtrl;
class CMultiWnd;
class CRulesHolderPage;
class CIncludeRulesPage;
class CExcludeRulesPage;
class CProfilePage;

// The program's only top-level window: the five tabs, the tray icon and the
// message boxes of the monitoring session it shows.
class CMonitorDlg : public dlg::CDialog,
                    public SaveAllTarget,
                    public SessionView,
                    public BubbleArea {
    Q_OBJECT
public:
    static constexpr int kAutoStartTimer = 1;
    static constexpr int kAutoStartDelayMs = 1000;
    static constexpr int ID_FILE_SAVE = 32792;
    static constexpr int ID_FILE_EXIT = 32778;
    static constexpr int ID_TOOLS_GROUPS = 32793;
    static constexpr int ID_HELP_FILE = 32795;
    static constexpr int ID_HELP_ABOUT = 32782;
    static constexpr int ID_TOOLS_SCHEDULE = 32797;
    static constexpr int ID_TOOLS_HISTORY = 32798;
    static constexpr int ID_ANSWER_YES = 13;
    static constexpr int ID_ANSWER_NO = 12;

    // `dataDir` holds the four data files.
    explicit CMonitorDlg(std::filesystem::path dataDir, QWidget* parent = nullptr);
    ~CMonitorDlg() override;

    // Writes groups, templates, profiles and the settings record, in this
    // order; a file that could not be written is named, with the reason, in
    // a message box.
    void SaveAll() override;
    // SaveAll that tells whether every file was written.
    bool SaveAndReport();
    void LoadSettings();
    // Copies the settings record into the pages' controls.
    void ApplySettings();
    // Copies the pages' controls back into the settings record.
    void CollectSettings();

    // The missed-call report (for the session) and the tray icon's tap.
    intptr_t SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // The caption's OK (the window manager's close button): hides the window.
    void OnOK();
    void RestoreFromTray();
    void OnExit();
    // Hides the window to the tray without the question of OnOK: a start
    // asked for by a script, with nobody looking.
    void HideToTray();
    // Ends as File > Exit does, without its question: the session ends, the
    // program is interrupted or a script asks. Everything is saved as the
    // window goes.
    void EndSession();
    // Brings the window back on screen, from the tray or from behind others:
    // what a second start of the program asks for.
    void BringToFront();
    // The window could not be built and the program ends at once (exit code 0).
    bool EndedAtStart() const { return endedAtStart_; }
    bool IsMonitoring() const { return session_.IsMonitoring(); }
    bool IsInTray() const { return trayIcon.IsShown(); }
    // The log rows' stamps and the pipeline's clock; the system clock by default.
    void SetClock(LogClock clock);
    // Where the home country comes from when the international prefix is
    // empty (the modem's network); asked once, at the first start by hand.
    void SetHomeCountrySource(HomeCountryOffer::Source source)
    {
        homeCountry_.SetSource(std::move(source));
    }

    // What the session reads and shows through the window.
    MissedCallOptions ReadOptions() const override;
    StartInputs ReadStartInputs() const override;
    void PrepareStart() override;
    void ClearLog() override;
    void SelectProfile(const ProfileRecord& profile) override;
    void SetInteractive(bool interactive) override;
    void ReplyRefused(std::u16string_view number) override;
    bool Add(std::u16string_view title, std::u16string_view html, uint32_t durationSeconds,
        uint32_t id) override;
    bool Remove(uint32_t id) override;
    void DeleteOlderThan(int32_t halfHours) override;
    std::vector<CallLogKey> Keys() const override;
    void AppendRow(const CallLogRow& row) override;
    void SetRowStatus(const CallLogRow& row, std::u16string_view smsSent) override;
    // The own bubble lies below the Start/Stop button, over the page.
    QRect BubbleRect() const override;
    // The bar above the page that opens the folded question again; shown
    // while the question is open and nothing else shows it.
    QPushButton* QuestionIndicator() const { return questionBar_; }

    MonitoringSession& Session() { return session_; }
    // Saves a new schedule and applies it; false (after telling the user)
    // when the options file cannot be written.
    // With `calendarProfileId`, also what holds while the calendar says busy.
    bool ChangeSchedule(
        WeeklySchedule schedule, std::optional<int32_t> calendarProfileId = std::nullopt);

    // Before the session, which may still show a bubble as it goes.
    CTrayIcon trayIcon;

private:
    MonitoringSession session_;

public:
    SettingsRecord& settings;
    // 1: no automatic start; cleared by a "/h" start before the window is built.
    uint8_t autostartSuppressed = 1;
    CLineMonitor& lineMonitor;
    CContactsSession& contacts;
    CSmsSender& transport;
    CMissedCallPipeline& pipeline;

    CPageTabCtrl* Tabs() const { return tabs_; }
    QWidget* Page(int index) const { return pages_.at(static_cast<size_t>(index)); }
    void SelectPage(int index);
    CMainPage* MainPage() const { return mainPage_; }
    CProfilePage* ProfilePage() const { return profilePage_; }
    CLogPage* LogPage() const { return logPage_; }
    CLogListCtrl* LogList() const { return logList_; }
    CMultiWnd* RulesPanes() const { return rulesPanes_; }
    CIncludeRulesPage* IncludePage() const { return includePage_; }
    CExcludeRulesPage* ExcludePage() const { return excludePage_; }
    CAboutPage* AboutPage() const { return aboutPage_; }
    CMainMenuBar* MenuBar() const { return menuBar_; }

Q_SIGNALS:
    // A notification shown or taken away through this window (the question
    // bubble has id 99), for the simulators that show or print it.
    void NotificationAdded(uint id, const QString& title, const QString& html);
    void NotificationRemoved(uint id);

protected:
    bool OnInitDialog() override;
    void OnSize() override;
    void OnTimer(int id) override;
    bool OnCommand(int id) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // SaveAll without a message: the files that were not written.
    std::vector<SaveResult> WriteDataFiles();
    // False when the tab control cannot be had: the program must end.
    bool BuildPages();
    void BuildRulesTab();
    MainWindowParts Parts() const;
    void FitToScreen();
    void OnStartStop();
    // A start's refusal or warning, as a tap shows it.
    void ShowStartResult(const StartResult& result);
    // The Main page shows whether monitoring runs.
    void ShowMonitoring();
    void ConnectSession();
    void OnCallNumber();
    void OnHistory();
    void UpdateQuestionIndicator();
    void ReopenQuestion();
    void ShowScheduleNote();

    std::filesystem::path dataDir_;
    bool loaded_ = false;
    bool endedAtStart_ = false;
    bool ending_ = false;
    LogClock clock_;
    HomeCountryOffer homeCountry_;
    CMainMenuBar* menuBar_ = nullptr;
    QPushButton* questionBar_ = nullptr;
    CAboutPage* aboutPage_ = nullptr;
    CPageTabCtrl* tabs_ = nullptr;
    CMainPage* mainPage_ = nullptr;
    CProfilePage* profilePage_ = nullptr;
    CLogPage* logPage_ = nullptr;
    CLogListCtrl* logList_ = nullptr;
    CRulesHolderPage* rulesPage_ = nullptr;
    CMultiWnd* rulesPanes_ = nullptr;
    CIncludeRulesPage* includePage_ = nullptr;
    CExcludeRulesPage* excludePage_ = nullptr;
    std::array<QWidget*, 5> pages_ {};
};

} // namespace pelmora

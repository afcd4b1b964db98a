#pragma once

#include "app/TrayIcon.h"
#include "messages/ContactsSession.h"
#include "monitor/BubbleNotifier.h"
#include "monitor/CallLogRows.h"
#include "monitor/LineMonitor.h"
#include "monitor/MissedCallPipeline.h"
#include "monitor/SettingsRecord.h"
#include "monitor/SmsSender.h"
#include "platform/WindowMessage.h"
#include "platform/framework/Dialog.h"
#include "platform/modem/CallingCodes.h"
#include "ui/SaveAllTarget.h"

#include <array>
#include <filesystem>
#include <functional>
#include <optional>

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

// The program's only top-level window: the five tabs and everything that
// lives for the whole run.
class CMonitorDlg : public dlg::CDialog,
                    public MessageWindow,
                    public SaveAllTarget,
                    public MissedCallWindow,
                    public BubbleNotifier,
                    public CallLogRows {
    Q_OBJECT
public:
    static constexpr int kAutoStartTimer = 1;
    static constexpr int kAutoStartDelayMs = 1000;
    static constexpr int ID_FILE_SAVE = 32792;
    static constexpr int ID_FILE_EXIT = 32778;
    static constexpr int ID_TOOLS_GROUPS = 32793;
    static constexpr int ID_HELP_FILE = 32795;
    static constexpr int ID_HELP_ABOUT = 32782;
    static constexpr int ID_ANSWER_YES = 13;
    static constexpr int ID_ANSWER_NO = 12;

    // `dataDir` holds the four data files.
    explicit CMonitorDlg(std::filesystem::path dataDir, QWidget* parent = nullptr);
    ~CMonitorDlg() override;

    // Writes groups, templates, profiles and the settings record, in this order.
    void SaveAll() override;
    void LoadSettings();
    // Copies the settings record into the pages' controls.
    void ApplySettings();
    // Copies the pages' controls back into the settings record.
    void CollectSettings();

    intptr_t SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    // The caption's OK (the window manager's close button): hides the window.
    void OnOK();
    void RestoreFromTray();
    void OnExit();
    // Ends as File > Exit does, without its question: the session ends or
    // the program is interrupted. Everything is saved as the window goes.
    void EndSession();
    // Brings the window back on screen, from the tray or from behind others:
    // what a second start of the program asks for.
    void BringToFront();
    // The window could not be built and the program ends at once (exit code 0).
    bool EndedAtStart() const { return endedAtStart_; }
    bool IsMonitoring() const { return lineMonitor.IsOpen(); }
    bool IsInTray() const { return trayIcon.IsShown(); }
    // The log rows' stamps and the pipeline's clock; the system clock by default.
    void SetClock(LogClock clock);
    // Where the home country comes from when the international prefix is
    // empty (the modem's network); asked once, at the first start by hand.
    using HomeCountrySource = std::function<void(
        QObject* context, std::function<void(std::optional<HomeCountry>)> done)>;
    void SetHomeCountrySource(HomeCountrySource source);

    // What the missed-call pipeline needs of the window.
    MissedCallOptions ReadOptions() const override;
    void StartTimer(uint32_t timerId, uint32_t milliseconds) override;
    void ShowSentCount(int32_t sentCount) override;
    void ReplyRefused(std::u16string_view number) override;
    bool Add(std::u16string_view title, std::u16string_view html, uint32_t durationSeconds,
        uint32_t id) override;
    bool Remove(uint32_t id) override;
    void DeleteOlderThan(int32_t halfHours) override;
    std::vector<CallLogKey> Keys() const override;
    void AppendRow(const CallLogRow& row) override;
    void SetRowStatus(const CallLogRow& row, std::u16string_view smsSent) override;

    SettingsRecord settings;
    // 1: no automatic start; cleared by a "/h" start before the window is built.
    uint8_t autostartSuppressed = 1;
    CLineMonitor lineMonitor;
    CContactsSession contacts;
    CSmsSender transport;
    CTrayIcon trayIcon;
    CMissedCallPipeline pipeline;

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
    std::optional<bool> OnUpdateCommand(int id) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // False when the tab control cannot be had: the program must end.
    bool BuildPages();
    void BuildRulesTab();
    void ApplyRuleSettings();
    void CollectRuleSettings();
    void PlaceTabs();
    void FitToScreen();
    void OnStartStop();
    void OfferHomeCountry();
    void StartMonitor();
    void StopMonitor();
    // The Profile page's check before a start.
    bool ValidateProfileBeforeStart();
    void ShowRunningImage(bool running);
    void OnClearLog();
    void OnDeleteLogEntry();
    void OnCallNumber();

    std::filesystem::path dataDir_;
    bool loaded_ = false;
    bool endedAtStart_ = false;
    bool ending_ = false;
    LogClock clock_;
    HomeCountrySource homeCountrySource_;
    bool homeCountryOffered_ = false;
    CMainMenuBar* menuBar_ = nullptr;
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

#pragma once

#include "messages/ContactsSession.h"
#include "monitor/LineMonitor.h"
#include "monitor/SettingsRecord.h"
#include "platform/WindowMessage.h"
#include "platform/framework/Dialog.h"
#include "ui/SaveAllTarget.h"

#include <array>
#include <filesystem>

namespace pelmora {

class CPageTabCtrl;
class CLogPage;
class CMainPage;
class CLogListCtrl;
class CMultiWnd;
class CRulesHolderPage;
class CIncludeRulesPage;
class CExcludeRulesPage;

// The program's only top-level window: the five tabs and everything that
// lives for the whole run.
class CMonitorDlg final : public dlg::CDialog, public MessageWindow, public SaveAllTarget {
    Q_OBJECT
public:
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

    SettingsRecord settings;
    CLineMonitor lineMonitor;
    CContactsSession contacts;

    CPageTabCtrl* Tabs() const { return tabs_; }
    QWidget* Page(int index) const { return pages_.at(static_cast<size_t>(index)); }
    void SelectPage(int index);
    CMainPage* MainPage() const { return mainPage_; }
    CLogPage* LogPage() const { return logPage_; }
    CLogListCtrl* LogList() const { return logList_; }
    CMultiWnd* RulesPanes() const { return rulesPanes_; }
    CIncludeRulesPage* IncludePage() const { return includePage_; }
    CExcludeRulesPage* ExcludePage() const { return excludePage_; }

protected:
    bool OnInitDialog() override;
    void OnSize() override;
    bool OnCommand(int id) override;
    std::optional<bool> OnUpdateCommand(int id) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildPages();
    void BuildRulesTab();
    void ApplyRuleSettings();
    void CollectRuleSettings();
    void PlaceTabs();
    void FitToScreen();
    void OnStartStop();
    void OnClearLog();
    void OnDeleteLogEntry();
    void OnCallNumber();

    std::filesystem::path dataDir_;
    bool loaded_ = false;
    CPageTabCtrl* tabs_ = nullptr;
    CMainPage* mainPage_ = nullptr;
    CLogPage* logPage_ = nullptr;
    CLogListCtrl* logList_ = nullptr;
    CRulesHolderPage* rulesPage_ = nullptr;
    CMultiWnd* rulesPanes_ = nullptr;
    CIncludeRulesPage* includePage_ = nullptr;
    CExcludeRulesPage* excludePage_ = nullptr;
    std::array<QWidget*, 5> pages_ {};
};

} // namespace pelmora

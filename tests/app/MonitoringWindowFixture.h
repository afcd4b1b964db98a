#pragma once

#include "app/MainMenuBar.h"
#include "app/MonitorDlg.h"
#include "messages/MainPage.h"
#include "messages/TemplateStore.h"
#include "platform/SimulatedClock.h"
#include "platform/contacts/AddressBook.h"
#include "platform/telephony/SimulatedLine.h"
#include "rules/ExcludeRulesPage.h"
#include "rules/GroupStore.h"
#include "rules/ProfilePage.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"
#include "tests/TestSupport.h"
#include "tests/monitor/PipelineFakes.h"
#include "ui/LogListCtrl.h"
#include "ui/PageTabCtrl.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace pelmora::test {

// The simulated clock as the timer service for one test, however it ends.
struct ClockInstalled {
    explicit ClockInstalled(SimulatedClock& clock) { SetTimerService(&clock); }
    ~ClockInstalled() { SetTimerService(nullptr); }
    ClockInstalled(const ClockInstalled&) = delete;
    ClockInstalled& operator=(const ClockInstalled&) = delete;
};

// The real main window over the simulated line, the outbox and a simulated
// address book, started on data files whose active profile answers every
// caller with the greeting.
class MonitoringWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTemplateStore();
        ResetGroupStore();
        ResetProfileStore();
        SetAddressBook(&book);
        SetTelephonyBackend(&line);
    }
    void TearDown() override
    {
        dialog.reset();
        SetTelephonyBackend(nullptr);
        SetAddressBook(nullptr);
        ResetTemplateStore();
        ResetGroupStore();
        ResetProfileStore();
    }
    // Writes the greeting, its profile and the settings choosing it, then
    // builds the window, which loads them as at a normal start.
    void Open(bool autostart = false)
    {
        ResetTemplateStore();
        ResetProfileStore();
        const int32_t greetingId
            = AppendTemplate(u"Greeting", u"Hi [FIRSTNAME], call you later")->id;
        SettingsRecord settings;
        LoadSettings(dir.Path(), settings);
        settings.activeProfileId = AddProfile(u"Default", greetingId)->id;
        ASSERT_TRUE(SaveTemplates(dir.Path()) && SaveProfiles(dir.Path())
            && SaveSettings(dir.Path(), settings));
        ResetTemplateStore();
        ResetProfileStore();

        dialog = std::make_unique<CMonitorDlg>(dir.Path());
        dialog->autostartSuppressed = autostart ? 0 : 1;
        dialog->SetClock([this] { return now; });
        ASSERT_TRUE(dialog->Create(nullptr));
        greeting = FindTemplate(greetingId);
        ASSERT_NE(greeting, nullptr);
        activeProfile = dialog->ProfilePage()->ActiveProfile();
        ASSERT_NE(activeProfile, nullptr);
        ASSERT_EQ(activeProfile->defaultMessageId, greetingId);
        main = dialog->MainPage();
        ASSERT_NE(main, nullptr);
    }
    void Start(int maxTotal = 10)
    {
        main->SetDlgItemInt(CMainPage::IDC_MAX_TOTAL, maxTotal);
        main->RouteCommand(CMainPage::IDC_START_STOP);
    }
    void MissCall(std::u16string number, uint32_t rings = 1)
    {
        const CallId call = line.IncomingCall(std::move(number));
        for (uint32_t i = 0; i < rings; ++i)
            line.Ring(call);
        line.Disconnect(call);
    }
    std::vector<std::u16string> Column(int column) const
    {
        std::vector<std::u16string> texts;
        CLogListCtrl* list = dialog->LogList();
        for (int row = 0; row < list->RowCount(); ++row)
            texts.push_back(list->RowText(row, column));
        return texts;
    }
    std::u16string SentLabel() const { return main->GetDlgItemText(CMainPage::IDC_SENT_COUNT); }
    // The in-application question bubble, when one is on screen.
    static QWidget* Bubble()
    {
        QApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("NotificationBubble") && w->isVisible())
                return w;
        return nullptr;
    }
    static QString BubbleText(QWidget* bubble)
    {
        QString text;
        for (QLabel* label : bubble->findChildren<QLabel*>())
            text += label->text() + QLatin1Char('\n');
        return text;
    }
    static QPushButton* BubbleButton(QWidget* bubble, const QString& caption)
    {
        for (QPushButton* button : bubble->findChildren<QPushButton*>())
            if (button->text() == caption)
                return button;
        return nullptr;
    }

    ScratchDir dir;
    OutboxTransport outbox; // before the window: its transport takes the SMS interface
    SimulatedAddressBook book;
    SimulatedLine line;
    TemplateRecord* greeting = nullptr;
    ProfileRecord* activeProfile = nullptr;
    int64_t now = 1'800'000'000;
    std::unique_ptr<CMonitorDlg> dialog;
    CMainPage* main = nullptr;
};

} // namespace pelmora::test

#include "app/PhoneSimulator.h"
#include "history/CallHistory.h"
#include "tests/app/MonitoringWindowFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSpinBox>

using namespace pelmora;

namespace {

using Texts = std::vector<std::u16string>;

class PhoneSimulatorWindow : public test::MonitoringWindow {
protected:
    void SetUp() override
    {
        MonitoringWindow::SetUp();
        Open();
        phone = std::make_unique<CPhoneSimulator>(line, outbox.Backend(), *dialog);
    }
    void TearDown() override
    {
        phone.reset();
        MonitoringWindow::TearDown();
    }
    void Call(const QString& number, int rings, bool answered = false, bool noCallerId = false)
    {
        phone->NumberEdit()->setText(number);
        phone->RingsBox()->setValue(rings);
        phone->AnsweredBox()->setChecked(answered);
        phone->NoCallerIdBox()->setChecked(noCallerId);
        phone->CallButton()->click();
    }
    // What the outbox holds, as the list shows it.
    QStringList OutboxLines() const
    {
        QStringList lines;
        for (const test::SentMessage& message : outbox.Messages())
            lines << QString::fromStdU16String(message.number + u": " + message.text);
        return lines;
    }
    QStringList Sent() const
    {
        QStringList sent;
        for (int i = 0; i < phone->SentList()->count(); ++i)
            sent << phone->SentList()->item(i)->text();
        return sent;
    }

    test::ScriptedMessageBoxes boxes;
    std::unique_ptr<CPhoneSimulator> phone;
};

TEST_F(PhoneSimulatorWindow, AMissedCallPlacedHereIsRepliedToAndItsSmsListed)
{
    Start();
    Call(QStringLiteral("0111"), 2);
    Call(QStringLiteral("0222"), 3, true);
    Call(QStringLiteral("0333"), 1, false, true);
    // Only the unanswered call with a caller ID is a missed call.
    EXPECT_EQ(Column(CLogListCtrl::Number), (Texts {u"0111"}));
    EXPECT_EQ(Column(CLogListCtrl::Rings), (Texts {u"2"}));
    ASSERT_EQ(OutboxLines().size(), 1);
    EXPECT_TRUE(OutboxLines()[0].startsWith(QStringLiteral("0111: ")));
    EXPECT_EQ(Sent(), OutboxLines());
    EXPECT_EQ(phone->Status()->text(),
        QStringLiteral("A caller without ID: 1 ring, then the caller hung up."));
}

TEST_F(PhoneSimulatorWindow, TheNetworkReportsEachSmsAndCanFailTheNextOne)
{
    outbox.Backend().SetDeliveryDelayMs(0);
    Start();
    phone->NotDeliveredBox()->setChecked(true);
    Call(QStringLiteral("0111"), 2);
    EXPECT_FALSE(phone->NotDeliveredBox()->isChecked()) << "only the next one fails";
    Call(QStringLiteral("0222"), 2);
    ASSERT_TRUE(test::WaitUntil([&] { return Sent().join(QString()).count('(') == 2; }));
    EXPECT_TRUE(Sent()[0].endsWith(
        QStringLiteral("\n(not delivered: the simulated network could not deliver it)")));
    EXPECT_TRUE(Sent()[1].endsWith(QStringLiteral("\n(delivered)")));
    // The history, as the program keeps it on disk, has the reports too.
    CallHistory history(dir.Path(), now, 0, nullptr, CallHistory::Access::ReadOnly);
    const std::vector<CallRecord> rows = history.Read();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].delivery, DeliveryState::Failed);
    EXPECT_EQ(rows[0].deliveryReason, u"the simulated network could not deliver it");
    EXPECT_EQ(rows[1].delivery, DeliveryState::Delivered);
}

TEST_F(PhoneSimulatorWindow, ACallWithoutNumberIsNotPlaced)
{
    Start();
    Call(QString(), 2);
    EXPECT_EQ(dialog->LogList()->RowCount(), 0);
    EXPECT_TRUE(phone->Status()->text().contains(QStringLiteral("number")));
}

TEST_F(PhoneSimulatorWindow, HangUpEndsTheCallAtItsRing)
{
    main->ComboSetCurSel(CMainPage::IDC_HANGUP_RINGS, 3); // two rings
    Start();
    Call(QStringLiteral("0444"), 5);
    EXPECT_EQ(phone->Status()->text(), QStringLiteral("0444: 2 rings, then Pelmora hung up."));
    EXPECT_EQ(Column(CLogListCtrl::Rings), (Texts {u"2"}));
}

TEST_F(PhoneSimulatorWindow, TheOpenQuestionIsAnsweredHere)
{
    EXPECT_FALSE(phone->YesButton()->isEnabled());
    main->CheckDlgButton(CMainPage::IDC_INTERACTIVE, 1);
    Start();
    Call(QStringLiteral("0555"), 1);
    ASSERT_TRUE(phone->YesButton()->isEnabled());
    const QString question = phone->Question()->text();
    EXPECT_TRUE(question.startsWith(QStringLiteral("Send an SMS to 0555 (Unknown)?\n")));
    EXPECT_TRUE(Sent().isEmpty());
    phone->YesButton()->click();
    ASSERT_EQ(Sent().size(), 1);
    EXPECT_EQ(Sent(), OutboxLines());
    // The question showed the message that went out.
    EXPECT_EQ(question.section(QLatin1Char('\n'), 1), Sent()[0].mid(6));
    EXPECT_FALSE(phone->YesButton()->isEnabled());
    EXPECT_EQ(SentLabel(), u"1");

    Call(QStringLiteral("0666"), 1);
    phone->NoButton()->click();
    EXPECT_FALSE(phone->NoButton()->isEnabled());
    EXPECT_EQ(Sent().size(), 1);
}

TEST_F(PhoneSimulatorWindow, OnlyAQuestionTheUserCouldStillTapIsAnswered)
{
    SimulatedClock clock(0);
    test::ClockInstalled installed(clock);
    dialog->show();
    main->CheckDlgButton(CMainPage::IDC_INTERACTIVE, 1);
    Start();
    // Folded away, the bubble is opened from the bar and its Yes tapped.
    Call(QStringLiteral("0555"), 1);
    clock.Advance(239'000);
    ASSERT_TRUE(dialog->QuestionIndicator()->isVisible());
    phone->YesButton()->click();
    EXPECT_EQ(Sent().size(), 1);
    // With the window gone from the screen nothing shows the question.
    Call(QStringLiteral("0666"), 1);
    clock.Advance(90'000);
    dialog->hide();
    phone->YesButton()->click();
    EXPECT_EQ(Sent().size(), 1);
    EXPECT_EQ(phone->Status()->text(), QStringLiteral("No question is open: nothing to answer."));
    // After its four minutes the question is gone here too.
    clock.Advance(150'000);
    EXPECT_FALSE(phone->YesButton()->isEnabled());
}

} // namespace

// Beside the window where there is room; over its corner, still on the
// screen, where the window fills the screen as on a phone.
TEST_F(PhoneSimulatorWindow, TheSimulatorStaysOnTheScreen)
{
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    dialog->show();
    phone->show();
    for (const QPoint at :
        {QPoint(room.left(), room.top()), QPoint(room.right() - dialog->width() / 2, room.top())}) {
        dialog->move(at);
        phone->PlaceBeside(*dialog);
        const QRect placed(phone->pos(), phone->frameGeometry().size());
        EXPECT_TRUE(room.contains(placed) || placed.width() > room.width()) << at.x();
    }
    dialog->move(room.topLeft());
    phone->PlaceBeside(*dialog);
    if (dialog->frameGeometry().right() + 16 + phone->frameGeometry().width() <= room.right()) {
        EXPECT_EQ(phone->pos(), dialog->frameGeometry().topRight() + QPoint(16, 0));
    }
}

#include "platform/SimulatedClock.h"
#include "platform/framework/Dialog.h"
#include "platform/framework/ScreenModel.h"
#include "platform/shell/NotificationHtml.h"
#include "platform/shell/Notifications.h"
#include "tests/TestSupport.h"
#include "ui/ShellHelpers.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QEventLoop>
#include <QIcon>
#include <QMutex>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

const QString kHtml = QStringLiteral(
    "<html><body><p>Missed call from <b>0123 &amp; co</b></p><p>Send the reply?</p>"
    "<p align=right><input type=button name='cmd:13' value='Yes'>&nbsp;"
    "<input type=\"button\" name=\"cmd:12\" value=\"No\"></p></body></html>");

// A window that records the commands it receives and gives its bubble a place.
class Sink final : public QWidget, public dlg::CommandTarget, public BubbleArea {
public:
    bool RouteCommand(int id) override
    {
        commands.push_back(id);
        return true;
    }
    QRect BubbleRect() const override { return area; }
    std::vector<int> commands;
    QRect area;
};

// The simulated clock as the timer service for one test, however it ends.
struct ClockInstalled {
    explicit ClockInstalled(SimulatedClock& clock) { SetTimerService(&clock); }
    ~ClockInstalled() { SetTimerService(nullptr); }
};

// The HTML of a bubble whose text has `lines` lines.
QString HtmlOfLines(int lines)
{
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("<p>line %1</p>").arg(i);
    return text + QStringLiteral("<input type=button name='cmd:13' value='Yes'>");
}

struct NotifyCall {
    QString app, icon, summary, body;
    QStringList actions;
    int timeout = 0;
};

// A stand-in for the desktop's notification service, run on its own thread
// with its own bus connection, as a real one runs in its own process.
class FakeNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList capabilities;
    QMutex mutex;
    std::vector<NotifyCall> calls;
    std::vector<uint> closed;
    // Set: Notify answers only once `answer` is released.
    bool holdAnswers = false;
    QSemaphore answer;

public Q_SLOTS:
    QStringList GetCapabilities()
    {
        QMutexLocker lock(&mutex);
        return capabilities;
    }
    uint Notify(const QString& app, uint, const QString& icon, const QString& summary,
        const QString& body, const QStringList& actions, const QVariantMap&, int timeout)
    {
        QMutexLocker lock(&mutex);
        calls.push_back({app, icon, summary, body, actions, timeout});
        const auto id = static_cast<uint>(40 + calls.size());
        if (holdAnswers) {
            lock.unlock();
            answer.acquire();
        }
        return id;
    }
    void CloseNotification(uint id)
    {
        QMutexLocker lock(&mutex);
        closed.push_back(id);
    }
};

// A private session bus for this test run.
class PrivateBus : public ::testing::Test {
protected:
    void SetUp() override
    {
        daemon.start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"),
                QStringLiteral("--print-address")});
        if (!daemon.waitForStarted(5000) || !daemon.waitForReadyRead(5000))
            GTEST_SKIP() << "dbus-daemon is not available";
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("client")));
        ASSERT_TRUE(client->isConnected());
        NotificationCenter::Instance().SetBus(*client);
    }
    void TearDown() override
    {
        NotificationCenter::Instance().SetBus(QDBusConnection::sessionBus());
        StopService();
        client.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        daemon.kill();
        daemon.waitForFinished();
    }

    void StartService(QStringList capabilities)
    {
        service.capabilities = std::move(capabilities);
        thread.reset(QThread::create([this] {
            QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("service"));
            bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                QDBusConnection::ExportAllSlots);
            bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
            ready.release();
            QEventLoop loop;
            loop.exec();
            bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
            QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        }));
        service.moveToThread(thread.get());
        thread->start();
        ASSERT_TRUE(ready.tryAcquire(1, 5000));
    }
    void StopService()
    {
        if (!thread)
            return;
        thread->quit();
        thread->wait();
        thread.reset();
    }
    void Emit(const QString& name, const QVariantList& arguments)
    {
        QDBusMessage signal
            = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                QStringLiteral("org.freedesktop.Notifications"), name);
        signal.setArguments(arguments);
        QDBusConnection(QStringLiteral("service")).send(signal);
    }

    QProcess daemon;
    QString address;
    std::unique_ptr<QDBusConnection> client;
    FakeNotifications service;
    std::unique_ptr<QThread> thread;
    QSemaphore ready;
    Sink sink;
};

} // namespace

TEST(NotificationHtmlTest, ButtonsAndBodies)
{
    const ParsedNotification parsed = ParseNotificationHtml(kHtml);
    ASSERT_EQ(parsed.buttons.size(), 2u);
    EXPECT_EQ(parsed.buttons[0].command, 13);
    EXPECT_EQ(parsed.buttons[0].label, QStringLiteral("Yes"));
    EXPECT_EQ(parsed.buttons[1].command, 12);
    EXPECT_EQ(parsed.buttons[1].label, QStringLiteral("No"));
    EXPECT_FALSE(parsed.html.contains(QStringLiteral("<input")));
    EXPECT_EQ(parsed.plain, QStringLiteral("Missed call from 0123 & co\nSend the reply?"));
    EXPECT_EQ(
        parsed.markup, QStringLiteral("Missed call from <b>0123 &amp; co</b>\nSend the reply?"));
}

TEST_F(PrivateBus, WithoutAServiceTheBubbleIsTheProgramsOwn)
{
    ASSERT_TRUE(AddNotification(u"Pelmora", kHtml.toStdU16String(), QIcon(), 90, &sink, 99));
    // The bus answers later that no service is there.
    QWidget* bubble = nullptr;
    ASSERT_TRUE(test::WaitUntil([&] {
        for (const auto* b : QApplication::topLevelWidgets())
            if (b->objectName() == QStringLiteral("NotificationBubble") && b->isVisible())
                bubble = const_cast<QWidget*>(b);
        return bubble != nullptr;
    }));
    const QPointer<QWidget> shown(bubble);
    auto* yes = bubble->findChild<QPushButton*>(QStringLiteral("cmd:13"));
    ASSERT_NE(yes, nullptr);
    QTest::mouseClick(yes, Qt::LeftButton);
    EXPECT_EQ(sink.commands, std::vector<int> {13});
    EXPECT_TRUE(RemoveNotification(99));
    ASSERT_TRUE(test::WaitUntil([&] { return !shown || !shown->isVisible(); }));
    EXPECT_FALSE(RemoveNotification(99));
}

TEST_F(PrivateBus, TheOwnBubbleFoldsAwayOnTheTimerServicesClockUntilRemoved)
{
    SimulatedClock clock(0);
    ClockInstalled installed(clock);
    sink.show();
    NotificationCenter& center = NotificationCenter::Instance();
    QSignalSpy folds(&center, &NotificationCenter::FoldChanged);
    ASSERT_TRUE(AddNotification(u"Pelmora", kHtml.toStdU16String(), QIcon(), 90, &sink, 99));
    ASSERT_TRUE(test::WaitUntil([&] { return center.BubbleOf(kNotificationClass, 99); }));
    const QPointer<QWidget> bubble = center.BubbleOf(kNotificationClass, 99);
    ASSERT_TRUE(bubble && bubble->isVisible());
    // Each display time folds it; reopened, it has a whole display time again.
    for (int round = 0; round < 2; ++round) {
        clock.Advance(89'999);
        EXPECT_TRUE(bubble && bubble->isVisible());
        EXPECT_FALSE(center.IsFolded(kNotificationClass, 99));
        clock.Advance(1);
        ASSERT_TRUE(bubble);
        EXPECT_FALSE(bubble->isVisible());
        EXPECT_TRUE(center.IsFolded(kNotificationClass, 99));
        ASSERT_TRUE(center.Reopen(kNotificationClass, 99));
        EXPECT_TRUE(bubble->isVisible());
    }
    EXPECT_EQ(folds.count(), 4);
    clock.Advance(90'000);
    // Removing the folded notification ends it and says so.
    EXPECT_TRUE(RemoveNotification(99));
    EXPECT_EQ(folds.count(), 6);
    EXPECT_FALSE(center.IsFolded(kNotificationClass, 99));
    EXPECT_FALSE(center.Reopen(kNotificationClass, 99));
    // A bubble removed before its time leaves no timer behind.
    ASSERT_TRUE(AddNotification(u"Pelmora", kHtml.toStdU16String(), QIcon(), 90, &sink, 99));
    ASSERT_TRUE(test::WaitUntil([&] { return center.BubbleOf(kNotificationClass, 99); }));
    EXPECT_EQ(clock.PendingCount(), 1u);
    RemoveNotification(99);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(clock.PendingCount(), 0u);
}

// With its window hidden there is nothing else to show the question: the
// bubble spans the screen and stays until it is answered or removed.
TEST_F(PrivateBus, WithItsWindowHiddenTheBubbleSpansTheScreenAndStays)
{
    SimulatedClock clock(0);
    ClockInstalled installed(clock);
    NotificationCenter& center = NotificationCenter::Instance();
    ASSERT_FALSE(sink.isVisible());
    ASSERT_TRUE(AddNotification(u"Pelmora", kHtml.toStdU16String(), QIcon(), 90, &sink, 99));
    ASSERT_TRUE(test::WaitUntil([&] { return center.BubbleOf(kNotificationClass, 99); }));
    const QPointer<QWidget> bubble = center.BubbleOf(kNotificationClass, 99);
    EXPECT_EQ(bubble->width(), dlg::ScreenModel::Instance().Size().width());
    EXPECT_GE(bubble->height(), dlg::ScreenModel::Instance().Size().height() / 2);
    clock.Advance(4 * 60'000);
    ASSERT_TRUE(bubble);
    EXPECT_TRUE(bubble->isVisible());
    EXPECT_FALSE(center.IsFolded(kNotificationClass, 99));
    EXPECT_TRUE(RemoveNotification(99));
}

TEST_F(PrivateBus, TheOwnBubbleFillsItsAreaAndKeepsItsButtonsAtTheBottom)
{
    sink.area = QRect(10, 60, 240, 200);
    sink.show();
    QPoint yesAt;
    for (const int lines : {1, 40}) {
        SCOPED_TRACE(lines);
        ASSERT_TRUE(AddNotification(
            u"Pelmora", HtmlOfLines(lines).toStdU16String(), QIcon(), 90, &sink, 99));
        ASSERT_TRUE(test::WaitUntil(
            [] { return NotificationCenter::Instance().BubbleOf(kNotificationClass, 99); }));
        QWidget* bubble = NotificationCenter::Instance().BubbleOf(kNotificationClass, 99);
        ASSERT_NE(bubble, nullptr);
        QApplication::processEvents();
        EXPECT_EQ(bubble->geometry(), sink.area);
        auto* yes = bubble->findChild<QPushButton*>(QStringLiteral("cmd:13"));
        ASSERT_NE(yes, nullptr);
        if (yesAt.isNull())
            yesAt = yes->pos();
        EXPECT_EQ(yes->pos(), yesAt) << "the buttons do not move with the text";
        EXPECT_GT(yes->y(), bubble->height() / 2);
        // The whole text is there; a long one scrolls.
        auto* text = bubble->findChild<QScrollArea*>(QStringLiteral("NotificationText"));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->verticalScrollBar()->maximum() > 0, lines > 10);
    }
    RemoveNotification(99);
    sink.hide();
}

TEST_F(PrivateBus, ServiceShowsTheBubbleAndReturnsItsActions)
{
    StartService(
        {QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("body-markup")});
    ASSERT_TRUE(AddNotification(u"Pelmora", kHtml.toStdU16String(), QIcon(), 90, &sink, 99));
    ASSERT_TRUE(test::WaitUntil(
        [] { return NotificationCenter::Instance().IsShownOnService(kNotificationClass, 99); }));
    {
        QMutexLocker lock(&service.mutex);
        ASSERT_EQ(service.calls.size(), 1u);
        const NotifyCall& call = service.calls[0];
        EXPECT_EQ(call.summary, QStringLiteral("Pelmora"));
        EXPECT_EQ(
            call.body, QStringLiteral("Missed call from <b>0123 &amp; co</b>\nSend the reply?"));
        EXPECT_EQ(call.actions,
            (QStringList {QStringLiteral("cmd:13"), QStringLiteral("Yes"), QStringLiteral("cmd:12"),
                QStringLiteral("No")}));
        EXPECT_EQ(call.timeout, 0) << "kept until withdrawn or answered";
    }
    Emit(QStringLiteral("ActionInvoked"), {uint(41), QStringLiteral("cmd:12")});
    Emit(QStringLiteral("NotificationClosed"), {uint(41), uint(3)});
    ASSERT_TRUE(test::WaitUntil([&] { return !sink.commands.empty(); }));
    EXPECT_EQ(sink.commands, std::vector<int> {12});
    ASSERT_TRUE(test::WaitUntil([] {
        return !NotificationCenter::Instance().IsShownOnService(kNotificationClass, 99);
    })) << "the service closed it";
    EXPECT_FALSE(RemoveNotification(99));
}

TEST_F(PrivateBus, ANotificationTheServiceDropsUnansweredFoldsAndIsSentAgain)
{
    StartService({QStringLiteral("actions"), QStringLiteral("body")});
    NotificationCenter& center = NotificationCenter::Instance();
    struct Row {
        uint reason; // 1 expired, 2 dismissed, 3 closed by a call
        const char* action; // the action taken before, if any
        bool folds;
    };
    uint serverId = 40;
    for (const Row& row : {Row {1, nullptr, true}, Row {2, nullptr, true}, Row {2, "cmd:13", false},
             Row {2, "default", true}, Row {3, nullptr, false}}) {
        SCOPED_TRACE(row.reason);
        ASSERT_TRUE(AddNotification(u"Pelmora", kHtml.toStdU16String(), QIcon(), 90, &sink, 99));
        ++serverId;
        ASSERT_TRUE(
            test::WaitUntil([&] { return center.IsShownOnService(kNotificationClass, 99); }));
        if (row.action)
            Emit(QStringLiteral("ActionInvoked"), {serverId, QString::fromLatin1(row.action)});
        Emit(QStringLiteral("NotificationClosed"), {serverId, row.reason});
        ASSERT_TRUE(
            test::WaitUntil([&] { return !center.IsShownOnService(kNotificationClass, 99); }));
        EXPECT_EQ(center.IsFolded(kNotificationClass, 99), row.folds);
        // Opened again, it goes to the service again, with its actions.
        EXPECT_EQ(center.Reopen(kNotificationClass, 99), row.folds);
        if (row.folds) {
            ++serverId;
            EXPECT_TRUE(
                test::WaitUntil([&] { return center.IsShownOnService(kNotificationClass, 99); }));
            QMutexLocker lock(&service.mutex);
            EXPECT_EQ(service.calls.back().actions, service.calls.front().actions);
        }
        RemoveNotification(99);
    }
    // The simulators' tap on an action does what the service's action does.
    ASSERT_TRUE(AddNotification(u"Pelmora", kHtml.toStdU16String(), QIcon(), 90, &sink, 99));
    ASSERT_TRUE(test::WaitUntil([&] { return center.IsShownOnService(kNotificationClass, 99); }));
    sink.commands.clear();
    EXPECT_FALSE(center.InvokeAction(kNotificationClass, 99, 32778));
    EXPECT_TRUE(center.InvokeAction(kNotificationClass, 99, 12));
    EXPECT_EQ(sink.commands, std::vector<int> {12});
    RemoveNotification(99);
}

TEST_F(PrivateBus, PlainTextWithoutMarkupAndRemovalById)
{
    StartService({QStringLiteral("actions"), QStringLiteral("body")});
    ASSERT_TRUE(AddNotification(u"Pelmora", kHtml.toStdU16String(), QIcon(), 90, &sink, 99));
    ASSERT_TRUE(test::WaitUntil(
        [] { return NotificationCenter::Instance().IsShownOnService(kNotificationClass, 99); }));
    EXPECT_TRUE(RemoveNotification(99));
    ASSERT_TRUE(test::WaitUntil([&] {
        QMutexLocker lock(&service.mutex);
        return !service.closed.empty();
    }));
    QMutexLocker lock(&service.mutex);
    EXPECT_EQ(service.calls[0].body, QStringLiteral("Missed call from 0123 & co\nSend the reply?"));
    EXPECT_EQ(service.closed, std::vector<uint> {41});
}

TEST_F(PrivateBus, NothingWaitsForTheServiceAndAWithdrawnNotificationIsClosedThere)
{
    StartService({QStringLiteral("actions"), QStringLiteral("body")});
    service.holdAnswers = true;
    NotificationCenter& center = NotificationCenter::Instance();
    ASSERT_TRUE(AddNotification(u"Pelmora", kHtml.toStdU16String(), QIcon(), 90, &sink, 99));
    // The window goes on while the service holds its answer.
    ASSERT_TRUE(test::WaitUntil([&] {
        QMutexLocker lock(&service.mutex);
        return !service.calls.empty();
    }));
    EXPECT_FALSE(center.IsShownOnService(kNotificationClass, 99));
    // Withdrawn before the service answered.
    EXPECT_TRUE(RemoveNotification(99));
    service.answer.release();
    ASSERT_TRUE(test::WaitUntil([&] {
        QMutexLocker lock(&service.mutex);
        return !service.closed.empty();
    })) << "what the service shows for it goes too";
    EXPECT_FALSE(center.IsShownOnService(kNotificationClass, 99));
}

TEST_F(PrivateBus, ServiceWithoutActionsLeavesTheQuestionToTheOwnBubble)
{
    StartService({QStringLiteral("body")});
    ASSERT_TRUE(AddNotification(u"Pelmora", kHtml.toStdU16String(), QIcon(), 90, &sink, 99));
    ASSERT_TRUE(test::WaitUntil(
        [] { return NotificationCenter::Instance().BubbleOf(kNotificationClass, 99); }));
    {
        QMutexLocker lock(&service.mutex);
        EXPECT_TRUE(service.calls.empty());
    }
    EXPECT_TRUE(RemoveNotification(99));
}

#include "NotificationTest.moc"

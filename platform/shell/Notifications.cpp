#include "platform/shell/Notifications.h"

#include "platform/TimerService.h"
#include "platform/framework/CommandTarget.h"
#include "platform/framework/ScreenModel.h"
#include "platform/shell/NotificationHtml.h"
#include "platform/shell/ShellServices.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace pelmora {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int kCallTimeoutMs = 2000;

QString ActionKey(int command)
{
    return QStringLiteral("cmd:%1").arg(command);
}

} // namespace

NotificationCenter& NotificationCenter::Instance()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::NotificationCenter()
    : bus_(QStringLiteral("pelmora-no-bus"))
{
}

void NotificationCenter::SetBus(const QDBusConnection& bus)
{
    bus_ = bus;
    busChosen_ = true;
    listening_ = false;
}

void NotificationCenter::ListenTo(QDBusConnection& bus)
{
    if (listening_)
        return;
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
        SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
        SLOT(OnNotificationClosed(uint, uint)));
    listening_ = true;
}

void NotificationCenter::ChooseBus()
{
    // The session bus is reached only when a bubble is first shown, so a
    // program that chose another bus (or none) never touches it.
    if (!busChosen_) {
        bus_ = QDBusConnection::sessionBus();
        busChosen_ = true;
    }
}

NotificationCenter::Shown* NotificationCenter::Current(const Key& key, uint64_t attempt)
{
    auto it = shown_.find(key);
    return it != shown_.end() && it->second.attempt == attempt ? &it->second : nullptr;
}

void NotificationCenter::WhenAnswered(
    const QDBusMessage& call, std::function<void(const QDBusMessage&)> answered)
{
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [answered = std::move(answered)](QDBusPendingCallWatcher* done) {
            done->deleteLater();
            answered(done->reply());
        });
}

void NotificationCenter::SendCommand(QWidget* sink, int command)
{
    if (auto* target = dynamic_cast<dlg::CommandTarget*>(sink))
        target->RouteCommand(command);
}

bool NotificationCenter::Add(const SHNOTIFICATIONDATA& data)
{
    const Key key {data.clsid, data.dwID};
    Remove(data.clsid, data.dwID);
    Shown& shown = shown_[key];
    shown.data = data;
    shown.sink = data.hwndSink;
    Show(key, shown);
    return true;
}

void NotificationCenter::Show(const Key& key, Shown& shown)
{
    ChooseBus();
    if (!bus_.isConnected()) {
        ShowOwnBubble(key, shown);
        return;
    }
    // Nothing waits for the service: its answers come back through the event
    // loop, and only those to this showing count, since the notification may
    // be gone, or shown anew, by then. A service that appears later is used
    // for the next one.
    const uint64_t attempt = shown.attempt = ++attempts_;
    QDBusMessage capabilities = QDBusMessage::createMethodCall(
        kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    capabilities.setAutoStartService(false);
    WhenAnswered(capabilities, [this, key, attempt](const QDBusMessage& reply) {
        Shown* shown = Current(key, attempt);
        if (!shown)
            return;
        const QStringList offered = reply.type() == QDBusMessage::ReplyMessage
            ? reply.arguments().value(0).toStringList()
            : QStringList();
        const ParsedNotification parsed = ParseNotificationHtml(shown->data.pszHTML);
        // Buttons need actions; without them the bubble is the program's own.
        if (reply.type() != QDBusMessage::ReplyMessage
            || (!parsed.buttons.empty() && !offered.contains(QStringLiteral("actions"))))
            ShowOwnBubble(key, *shown);
        else
            Notify(key, *shown, offered);
    });
}

void NotificationCenter::Notify(const Key& key, Shown& shown, const QStringList& capabilities)
{
    const SHNOTIFICATIONDATA& data = shown.data;
    const ParsedNotification parsed = ParseNotificationHtml(data.pszHTML);
    ListenTo(bus_);
    QStringList actions;
    for (const NotificationButton& button : parsed.buttons)
        actions << ActionKey(button.command) << button.label;
    const bool markup = capabilities.contains(QStringLiteral("body-markup"));
    QVariantMap hints;
    // The installed desktop entry and icon carry the application id.
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(kApplicationId));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(1));
    QDBusMessage call
        = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    // Expiry 0: the service keeps it until the program closes it or the
    // user answers; the display time is only the own bubble's.
    call << QStringLiteral("Pelmora") << uint(0) << QString::fromLatin1(kApplicationId)
         << data.pszTitle << (markup ? parsed.markup : parsed.plain) << actions << hints << 0;
    WhenAnswered(call, [this, key, attempt = shown.attempt](const QDBusMessage& reply) {
        Shown* shown = Current(key, attempt);
        const bool given = reply.type() == QDBusMessage::ReplyMessage;
        if (!shown) {
            // Withdrawn while the service was being asked.
            if (given)
                CloseOnService(reply.arguments().value(0).toUInt());
            return;
        }
        if (given)
            shown->serverId = reply.arguments().value(0).toUInt();
        else
            ShowOwnBubble(key, *shown);
    });
}

void NotificationCenter::ShowOwnBubble(const Key& key, Shown& shown)
{
    shown.bubble = BuildBubble(shown.data);
    PlaceBubble(shown);
    StartDisplayTime(key, shown.bubble, shown.data.csDuration);
    shown.bubble->show();
    shown.bubble->raise();
}

void NotificationCenter::CloseOnService(uint32_t serverId)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kPath, kInterface, QStringLiteral("CloseNotification"));
    call << uint(serverId);
    bus_.send(call);
}

namespace {

// Where the program's own bubble lies: the area its sink window gives,
// else over the top half of that window, else a phone-wide box.
QRect BubbleRectFor(QWidget* sink)
{
    if (!sink || !sink->window()->isVisible()) {
        // No window to lie in: across the top of the screen (or of the
        // simulated phone screen), high enough for the message and buttons.
        const dlg::ScreenModel& model = dlg::ScreenModel::Instance();
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QPoint corner = screen ? screen->availableGeometry().topLeft() : QPoint();
        const QSize size = model.Size();
        return QRect(
            corner, QSize(size.width(), std::max(size.height() / 2, 5 * model.FingerPixels())));
    }
    if (const auto* area = dynamic_cast<const BubbleArea*>(sink)) {
        const QRect rect = area->BubbleRect();
        if (!rect.isEmpty())
            return rect;
    }
    const QRect owner = sink->window()->geometry();
    return QRect(owner.topLeft(), QSize(owner.width(), owner.height() / 2));
}

} // namespace

QWidget* NotificationCenter::BuildBubble(const SHNOTIFICATIONDATA& data)
{
    const ParsedNotification parsed = ParseNotificationHtml(data.pszHTML);
    // Title, the whole text (scrolling when it is longer than the room) and
    // the buttons, which stay at the bottom whatever the text's length.
    auto* bubble
        = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    bubble->setAttribute(Qt::WA_DeleteOnClose);
    bubble->setObjectName(QStringLiteral("NotificationBubble"));
    bubble->setStyleSheet(
        QStringLiteral("#NotificationBubble { background: #ffffe1; border: 1px solid #7a7a7a; }"));
    auto* layout = new QVBoxLayout(bubble);
    auto* title
        = new QLabel(QStringLiteral("<b>%1</b>").arg(data.pszTitle.toHtmlEscaped()), bubble);
    auto* text = new QLabel(parsed.html);
    text->setWordWrap(true);
    text->setTextFormat(Qt::RichText);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* scroll = new QScrollArea(bubble);
    scroll->setObjectName(QStringLiteral("NotificationText"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(text);
    layout->addWidget(title);
    layout->addWidget(scroll, 1);
    auto* row = new QHBoxLayout;
    for (const NotificationButton& button : parsed.buttons) {
        auto* push = new QPushButton(button.label, bubble);
        push->setObjectName(ActionKey(button.command));
        const int command = button.command;
        QPointer<QWidget> sink = data.hwndSink;
        connect(push, &QPushButton::clicked, this, [this, sink, command] {
            if (sink)
                SendCommand(sink, command);
        });
        row->addWidget(push);
    }
    layout->addLayout(row);
    connect(bubble, &QObject::destroyed, this, [bubble] {
        if (TimerService* current = CurrentTimerService())
            current->StopAll(bubble);
    });
    return bubble;
}

void NotificationCenter::PlaceBubble(Shown& shown)
{
    shown.bubble->setFixedSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    shown.bubble->setGeometry(BubbleRectFor(shown.sink));
    shown.bubble->setFixedSize(shown.bubble->size());
}

void NotificationCenter::PlaceBubblesOf(const QWidget* sink)
{
    for (auto& [key, shown] : shown_)
        if (shown.sink == sink && shown.bubble && !shown.folded)
            PlaceBubble(shown);
}

void NotificationCenter::StartDisplayTime(const Key& key, QWidget* bubble, uint32_t seconds)
{
    if (seconds == 0)
        return;
    const int displayMs = static_cast<int>(seconds) * 1000;
    if (TimerService* service = CurrentTimerService()) {
        service->Start(bubble, 0, displayMs, [this, key] { Fold(key); });
        return;
    }
    auto* timer = bubble->findChild<QTimer*>(QStringLiteral("DisplayTime"));
    if (!timer) {
        timer = new QTimer(bubble);
        timer->setObjectName(QStringLiteral("DisplayTime"));
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, key] { Fold(key); });
    }
    timer->start(displayMs);
}

void NotificationCenter::Fold(const Key& key)
{
    auto it = shown_.find(key);
    if (it == shown_.end() || it->second.folded)
        return;
    // Folded away while its window is hidden, the bubble would leave no sign
    // on a phone without a tray: it stays until answered or removed.
    if (it->second.bubble && (!it->second.sink || !it->second.sink->window()->isVisible()))
        return;
    if (it->second.bubble)
        it->second.bubble->hide();
    it->second.serverId.reset();
    it->second.folded = true;
    Q_EMIT FoldChanged(key.second);
}

bool NotificationCenter::Reopen(const NotificationClassId& clsid, uint32_t id)
{
    const Key key {clsid, id};
    auto it = shown_.find(key);
    if (it == shown_.end())
        return false;
    Shown& shown = it->second;
    if (!shown.folded) {
        if (shown.bubble)
            shown.bubble->raise();
        return true;
    }
    shown.folded = false;
    if (shown.bubble) {
        // The window may have moved or turned since the bubble was built.
        PlaceBubble(shown);
        StartDisplayTime(key, shown.bubble, shown.data.csDuration);
        shown.bubble->show();
        shown.bubble->raise();
    } else {
        Show(key, shown);
    }
    Q_EMIT FoldChanged(id);
    return true;
}

bool NotificationCenter::InvokeAction(const NotificationClassId& clsid, uint32_t id, int command)
{
    auto it = shown_.find({clsid, id});
    if (it == shown_.end() || !it->second.serverId)
        return false;
    const ParsedNotification parsed = ParseNotificationHtml(it->second.data.pszHTML);
    const bool offered = std::any_of(parsed.buttons.begin(), parsed.buttons.end(),
        [command](const NotificationButton& button) { return button.command == command; });
    if (!offered)
        return false;
    OnActionInvoked(*it->second.serverId, ActionKey(command));
    return true;
}

bool NotificationCenter::Remove(const NotificationClassId& clsid, uint32_t id)
{
    auto it = shown_.find({clsid, id});
    if (it == shown_.end())
        return false;
    if (it->second.serverId)
        CloseOnService(*it->second.serverId);
    const bool folded = it->second.folded;
    QPointer<QWidget> bubble = it->second.bubble;
    shown_.erase(it);
    if (bubble)
        bubble->close();
    if (folded)
        Q_EMIT FoldChanged(id);
    return true;
}

bool NotificationCenter::IsFolded(const NotificationClassId& clsid, uint32_t id) const
{
    auto it = shown_.find({clsid, id});
    return it != shown_.end() && it->second.folded;
}

QWidget* NotificationCenter::BubbleOf(const NotificationClassId& clsid, uint32_t id) const
{
    auto it = shown_.find({clsid, id});
    return it == shown_.end() ? nullptr : it->second.bubble.data();
}

bool NotificationCenter::IsShownOnService(const NotificationClassId& clsid, uint32_t id) const
{
    auto it = shown_.find({clsid, id});
    return it != shown_.end() && it->second.serverId.has_value();
}

void NotificationCenter::OnActionInvoked(uint serverId, const QString& actionKey)
{
    for (auto& [key, shown] : shown_) {
        if (shown.serverId != serverId)
            continue;
        bool ok = false;
        const int command
            = actionKey.startsWith(QStringLiteral("cmd:")) ? actionKey.mid(4).toInt(&ok) : 0;
        // A tap on the body (the "default" action) answers nothing; the
        // notification then folds like one swept away.
        shown.answered = ok;
        QPointer<QWidget> sink = shown.sink;
        if (ok && sink)
            SendCommand(sink, command);
        return;
    }
}

void NotificationCenter::OnNotificationClosed(uint serverId, uint reason)
{
    constexpr uint kExpired = 1;
    constexpr uint kDismissed = 2;
    for (auto it = shown_.begin(); it != shown_.end(); ++it) {
        if (it->second.serverId != serverId)
            continue;
        // Expired or swept away unanswered: the question is still open and
        // folds, to be shown again. Otherwise the record goes; removing it
        // later finds nothing to close.
        if ((reason == kExpired || reason == kDismissed) && !it->second.answered)
            Fold(it->first);
        else
            shown_.erase(it);
        return;
    }
}

bool SHNotificationAdd(const SHNOTIFICATIONDATA& data)
{
    return NotificationCenter::Instance().Add(data);
}

bool SHNotificationRemove(const NotificationClassId& clsid, uint32_t id)
{
    return NotificationCenter::Instance().Remove(clsid, id);
}

} // namespace pelmora

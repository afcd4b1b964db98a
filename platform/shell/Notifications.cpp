#include "platform/shell/Notifications.h"

#include "platform/TimerService.h"
#include "platform/framework/CommandTarget.h"
#include "platform/shell/NotificationHtml.h"
#include "platform/shell/ShellServices.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

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

bool NotificationCenter::ServiceAnswers(QStringList& capabilities)
{
    // The session bus is reached only when a bubble is first shown, so a
    // program that chose another bus (or none) never touches it.
    if (!busChosen_) {
        bus_ = QDBusConnection::sessionBus();
        busChosen_ = true;
    }
    if (!bus_.isConnected() || !bus_.interface())
        return false;
    const QDBusReply<bool> registered = bus_.interface()->isServiceRegistered(kService);
    if (!registered.isValid() || !registered.value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    const QDBusReply<QStringList> reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
    if (!reply.isValid())
        return false;
    capabilities = reply.value();
    return true;
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
    const ParsedNotification parsed = ParseNotificationHtml(data.pszHTML);
    Shown shown;
    shown.sink = data.hwndSink;

    QStringList capabilities;
    // Buttons need actions; without them the bubble is the program's own.
    if (ServiceAnswers(capabilities)
        && (parsed.buttons.empty() || capabilities.contains(QStringLiteral("actions")))) {
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
        call << QStringLiteral("Pelmora") << uint(0) << QString::fromLatin1(kApplicationId)
             << data.pszTitle << (markup ? parsed.markup : parsed.plain) << actions << hints
             << static_cast<int>(data.csDuration * 1000);
        const QDBusReply<uint> reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
        if (reply.isValid()) {
            shown.serverId = reply.value();
            shown_[key] = shown;
            return true;
        }
    }

    // The program's own bubble: title, text and buttons in a small window.
    auto* bubble
        = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    bubble->setAttribute(Qt::WA_DeleteOnClose);
    bubble->setObjectName(QStringLiteral("NotificationBubble"));
    bubble->setStyleSheet(
        QStringLiteral("#NotificationBubble { background: #ffffe1; border: 1px solid #7a7a7a; }"));
    auto* layout = new QVBoxLayout(bubble);
    auto* title
        = new QLabel(QStringLiteral("<b>%1</b>").arg(data.pszTitle.toHtmlEscaped()), bubble);
    auto* text = new QLabel(parsed.html, bubble);
    text->setWordWrap(true);
    text->setTextFormat(Qt::RichText);
    layout->addWidget(title);
    layout->addWidget(text);
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
    if (data.csDuration > 0) {
        const int displayMs = static_cast<int>(data.csDuration) * 1000;
        if (TimerService* service = CurrentTimerService()) {
            QPointer<QWidget> shownBubble = bubble;
            service->Start(bubble, 0, displayMs, [shownBubble] {
                if (shownBubble)
                    shownBubble->close();
            });
            connect(bubble, &QObject::destroyed, this, [bubble] {
                if (TimerService* current = CurrentTimerService())
                    current->StopAll(bubble);
            });
        } else {
            QTimer::singleShot(displayMs, bubble, &QWidget::close);
        }
    }
    if (data.hwndSink && data.hwndSink->window()->isVisible()) {
        const QRect owner = data.hwndSink->window()->geometry();
        bubble->setFixedWidth(owner.width());
        bubble->move(owner.left(), owner.top());
    }
    bubble->show();
    shown.bubble = bubble;
    shown_[key] = shown;
    return true;
}

bool NotificationCenter::Remove(const NotificationClassId& clsid, uint32_t id)
{
    auto it = shown_.find({clsid, id});
    if (it == shown_.end())
        return false;
    if (it->second.serverId) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kService, kPath, kInterface, QStringLiteral("CloseNotification"));
        call << uint(*it->second.serverId);
        bus_.call(call, QDBus::NoBlock);
    }
    if (it->second.bubble)
        it->second.bubble->close();
    shown_.erase(it);
    return true;
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
    for (const auto& [key, shown] : shown_) {
        if (shown.serverId != serverId)
            continue;
        bool ok = false;
        const int command
            = actionKey.startsWith(QStringLiteral("cmd:")) ? actionKey.mid(4).toInt(&ok) : 0;
        QPointer<QWidget> sink = shown.sink;
        if (ok && sink)
            SendCommand(sink, command);
        return;
    }
}

void NotificationCenter::OnNotificationClosed(uint serverId, uint)
{
    // The service closed it (after an action, a timeout or the user): the
    // program's record of it goes; removing it later finds nothing to close.
    for (auto it = shown_.begin(); it != shown_.end(); ++it)
        if (it->second.serverId == serverId) {
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

#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

class QWidget;

namespace pelmora {

namespace dlg {
class CommandTarget;
}

struct NotificationClassId {
    uint32_t data1;
    uint16_t data2, data3;
    uint8_t data4[8];
    auto operator<=>(const NotificationClassId&) const = default;
};

// The shell's notification record: 56 bytes on the phone, filled field by
// field. The sink window receives the commands of the HTML's buttons.
struct SHNOTIFICATIONDATA {
    static constexpr uint32_t kSize = 56;
    static constexpr int32_t SHNP_INFORM = 0x1B1;
    static constexpr uint32_t SHNF_FORCEMESSAGE = 0x08;

    uint32_t cbStruct = kSize;
    uint32_t dwID = 0;
    int32_t npPriority = SHNP_INFORM;
    uint32_t csDuration = 0;
    QIcon hicon;
    uint32_t grfFlags = 0;
    NotificationClassId clsid {};
    QWidget* hwndSink = nullptr;
    QString pszHTML;
    QString pszTitle;
    intptr_t lParam = 0;
};

// A sink window that says where the program's own bubble may lie (global
// coordinates), so that the bubble leaves the window's menu and main button
// free. An empty rectangle leaves the choice to the bubble.
class BubbleArea {
public:
    virtual ~BubbleArea() = default;
    virtual QRect BubbleRect() const = 0;
};

// Shows notification bubbles: through the desktop's notification service
// when one answers on the session bus and offers actions, else as a bubble
// window of the program's own. The choice is made for every notification,
// so a service that appears later is used; no call waits for the service.
//
// As on the handheld, a notification lasts until the program removes it:
// the display time only folds the program's own bubble away, and the service
// is asked to keep its notification. A folded notification (the bubble
// hidden, or the service's notification expired or dismissed without an
// answer) is shown again by Reopen; the sink window offers that to the user.
class NotificationCenter final : public QObject {
    Q_OBJECT
public:
    static NotificationCenter& Instance();

    bool Add(const SHNOTIFICATIONDATA& data);
    bool Remove(const NotificationClassId& clsid, uint32_t id);
    // Nothing on screen shows the notification now, but it is still there.
    bool IsFolded(const NotificationClassId& clsid, uint32_t id) const;
    // Shows a folded notification again (the bubble for another display
    // time); false when there is no such notification.
    bool Reopen(const NotificationClassId& clsid, uint32_t id);
    // Lays the shown bubbles of `sink` out again, after the window turned or
    // changed its size.
    void PlaceBubblesOf(const QWidget* sink);
    // What the service does when the user taps the action of `command` on
    // the notification it shows; false when it shows none with that action.
    bool InvokeAction(const NotificationClassId& clsid, uint32_t id, int command);

    // The bus to look for the service on (the session bus unless a test
    // gives its own; a bus never connected means the program's own bubble).
    void SetBus(const QDBusConnection& bus);
    // The in-application bubble of a notification, when that is how it shows.
    QWidget* BubbleOf(const NotificationClassId& clsid, uint32_t id) const;
    bool IsShownOnService(const NotificationClassId& clsid, uint32_t id) const;

Q_SIGNALS:
    // The notification folded away, was shown again or went while folded.
    void FoldChanged(uint id);

private Q_SLOTS:
    void OnActionInvoked(uint serverId, const QString& actionKey);
    void OnNotificationClosed(uint serverId, uint reason);

private:
    NotificationCenter();
    struct Shown {
        SHNOTIFICATIONDATA data; // kept to show it again
        std::optional<uint32_t> serverId;
        QPointer<QWidget> bubble;
        QPointer<QWidget> sink;
        bool folded = false;
        bool answered = false; // an action was taken on the service
        uint64_t attempt = 0; // the showing whose answers from the service count
    };
    using Key = std::pair<NotificationClassId, uint32_t>;

    void ChooseBus();
    // The record of `key` while `attempt` is its latest showing.
    Shown* Current(const Key& key, uint64_t attempt);
    // `answered` gets the service's reply, or the error, on the event loop.
    void WhenAnswered(const QDBusMessage& call, std::function<void(const QDBusMessage&)> answered);
    void Notify(const Key& key, Shown& shown, const QStringList& capabilities);
    void ShowOwnBubble(const Key& key, Shown& shown);
    void CloseOnService(uint32_t serverId);
    void ListenTo(QDBusConnection& bus);
    void SendCommand(QWidget* sink, int command);
    // Puts the notification on the service or in a bubble of its own.
    void Show(const Key& key, Shown& shown);
    QWidget* BuildBubble(const SHNOTIFICATIONDATA& data);
    void PlaceBubble(Shown& shown);
    void StartDisplayTime(const Key& key, QWidget* bubble, uint32_t seconds);
    void Fold(const Key& key);

    QDBusConnection bus_;
    bool busChosen_ = false;
    uint64_t attempts_ = 0;
    bool listening_ = false;
    std::map<Key, Shown> shown_;
};

bool SHNotificationAdd(const SHNOTIFICATIONDATA& data);
bool SHNotificationRemove(const NotificationClassId& clsid, uint32_t id);

} // namespace pelmora

#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace pelmora {

// A bubble's HTML taken apart: its buttons (<input type=button
// name='cmd:N' value='Label'>) and the text around them.
struct NotificationButton {
    int command = 0;
    QString label;
};

struct ParsedNotification {
    std::vector<NotificationButton> buttons;
    QString html; // the HTML without its buttons
    QString markup; // the body in the notification service's small markup (b, i, u, a)
    QString plain; // the body as plain text
};

ParsedNotification ParseNotificationHtml(const QString& html);

} // namespace pelmora

#include "app/QuestionTap.h"

#include "app/MonitorDlg.h"
#include "monitor/PendingReply.h"
#include "platform/shell/Notifications.h"
#include "ui/ShellHelpers.h"

#include <QPushButton>
#include <QSystemTrayIcon>

namespace pelmora {

QuestionTap TapQuestionAnswer(CMonitorDlg& window, bool yes)
{
    NotificationCenter& center = NotificationCenter::Instance();
    const int command = yes ? CMonitorDlg::ID_ANSWER_YES : CMonitorDlg::ID_ANSWER_NO;
    if (center.IsFolded(kNotificationClass, kQuestionNotificationId)) {
        if (window.IsInTray())
            window.SendWindowMessage(WM_TRAYNOTIFY, 0, QSystemTrayIcon::Trigger);
        else if (QPushButton* bar = window.QuestionIndicator(); bar && bar->isVisible())
            bar->click();
    }
    if (center.InvokeAction(kNotificationClass, kQuestionNotificationId, command))
        return QuestionTap::Notification;
    QWidget* bubble = center.BubbleOf(kNotificationClass, kQuestionNotificationId);
    auto* button = bubble && bubble->isVisible()
        ? bubble->findChild<QPushButton*>(QStringLiteral("cmd:%1").arg(command))
        : nullptr;
    if (!button || !button->isEnabled())
        return QuestionTap::NothingOpen;
    button->click();
    return QuestionTap::Bubble;
}

} // namespace pelmora

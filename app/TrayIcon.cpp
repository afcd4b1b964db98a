#include "app/TrayIcon.h"

#include "app/MonitorDlg.h"
#include "platform/WindowMessage.h"
#include "platform/framework/ResourceImages.h"
#include "resources/Resources.h"

#include <QIcon>
#include <QSystemTrayIcon>

namespace pelmora {

CTrayIcon::~CTrayIcon()
{
    delete icon_;
}

bool CTrayIcon::Show(CMonitorDlg& window)
{
    isShown = 1;
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    if (!icon_) {
        icon_ = new QSystemTrayIcon(QIcon(dlg::LoadImageResource(IDR_MAINFRAME)));
        icon_->setToolTip(QString());
        QObject::connect(icon_, &QSystemTrayIcon::activated, &window,
            [&window](QSystemTrayIcon::ActivationReason reason) {
                window.SendWindowMessage(WM_TRAYNOTIFY, 0, static_cast<intptr_t>(reason));
            });
    }
    icon_->show();
    return true;
}

bool CTrayIcon::Hide(CMonitorDlg&)
{
    isShown = 0;
    if (!icon_)
        return false;
    icon_->hide();
    return true;
}

} // namespace pelmora

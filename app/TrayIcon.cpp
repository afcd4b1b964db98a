#include "app/TrayIcon.h"

#include "app/MonitorDlg.h"
#include "platform/WindowMessage.h"
#include "platform/framework/ResourceImages.h"
#include "resources/Resources.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
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
        icon_ = new QSystemTrayIcon;
        QObject::connect(icon_, &QSystemTrayIcon::activated, &window,
            [&window](QSystemTrayIcon::ActivationReason reason) {
                window.SendWindowMessage(WM_TRAYNOTIFY, 0, static_cast<intptr_t>(reason));
            });
    }
    ShowWaiting();
    icon_->show();
    return true;
}

void CTrayIcon::SetWaiting(std::u16string_view title)
{
    waiting_ = title;
    ShowWaiting();
}

void CTrayIcon::ShowWaiting()
{
    if (!icon_)
        return;
    QIcon icon(dlg::LoadImageResource(IDR_MAINFRAME));
    if (!waiting_.empty()) {
        // The program's icon with a round mark in its corner.
        constexpr int kSide = 64;
        QPixmap marked = icon.pixmap(kSide, kSide);
        QPainter painter(&marked);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, 3));
        painter.setBrush(QColor(0xd0, 0x20, 0x20));
        painter.drawEllipse(QRect(kSide / 2, 2, kSide / 2 - 4, kSide / 2 - 4));
        painter.end();
        icon = QIcon(marked);
    }
    icon_->setIcon(icon);
    icon_->setToolTip(QString::fromStdU16String(waiting_));
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

#pragma once

#include <cstdint>

class QSystemTrayIcon;

namespace pelmora {

class CMonitorDlg;

// The main window's icon in the notification tray while the window is
// hidden. Desktops without a tray (Phosh, GNOME) show no icon: the hidden
// window comes back when the program is started again.
class CTrayIcon final {
public:
    CTrayIcon() = default;
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Any click on the icon sends WM_TRAYNOTIFY to `window`.
    bool Show(CMonitorDlg& window);
    bool Hide(CMonitorDlg& window);
    bool IsShown() const { return isShown != 0; }

    uint8_t isShown = 0;

private:
    QSystemTrayIcon* icon_ = nullptr;
};

} // namespace pelmora

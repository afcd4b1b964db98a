#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
    // A notification waits to be opened again (its title; empty for none):
    // the icon carries a mark and the title as its tip, and a tap on it
    // opens the window and the notification.
    void SetWaiting(std::u16string_view title);
    const std::u16string& Waiting() const { return waiting_; }

    uint8_t isShown = 0;

private:
    void ShowWaiting();

    QSystemTrayIcon* icon_ = nullptr;
    std::u16string waiting_;
};

} // namespace pelmora

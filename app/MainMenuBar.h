#pragma once

#include <QMenuBar>

namespace pelmora::dlg {
class CDialog;
}

namespace pelmora {

// The main window's menu bar (menu 128): "File", "Tools" and "Help", each
// item sending its command to the window.
class CMainMenuBar final : public QMenuBar {
    Q_OBJECT
public:
    explicit CMainMenuBar(dlg::CDialog& window);

    // The action of command `id`, or null.
    QAction* CommandAction(int id) const;
};

} // namespace pelmora

#pragma once

class QWidget;

namespace pelmora {

class CPageTabCtrl;

// The parts of the main window around its pages: the menu bar, the bar that
// opens a folded question (shown only while one is folded) and the tabs.
struct MainWindowParts {
    QWidget* window = nullptr;
    QWidget* menuBar = nullptr;
    QWidget* questionBar = nullptr;
    CPageTabCtrl* tabs = nullptr;
};

// The height the bars take above the page area.
int BarsHeight(const MainWindowParts& parts);
// Places the bars and the tabs in the window: the bars above the tabs, or,
// on a turned phone, the menu bar at the end of the tab row.
void PlaceMainWindowParts(const MainWindowParts& parts);

} // namespace pelmora

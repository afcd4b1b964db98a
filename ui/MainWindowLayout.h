#pragma once

#include <QRect>

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
// Where the program's own bubble lies: over the page shown, below the Main
// page's `startButton` (every page lies in the same place, so it marks the
// top on any tab); empty before the pages are built.
QRect BubbleRectBelow(const MainWindowParts& parts, const QWidget* startButton);

} // namespace pelmora

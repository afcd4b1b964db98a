#include "ui/MainWindowLayout.h"

#include "platform/framework/ScreenModel.h"
#include "ui/PageTabCtrl.h"

#include <QTabBar>
#include <QWidget>

#include <algorithm>

namespace pelmora {

namespace {

bool Shown(const QWidget* bar)
{
    return bar && !bar->isHidden();
}

} // namespace

int BarsHeight(const MainWindowParts& parts)
{
    int height = parts.menuBar ? parts.menuBar->sizeHint().height() : 0;
    if (Shown(parts.questionBar))
        height += parts.questionBar->sizeHint().height();
    return height;
}

void PlaceMainWindowParts(const MainWindowParts& parts)
{
    const int width = parts.window->width();
    const int height = parts.window->height();
    const dlg::ScreenModel& screen = dlg::ScreenModel::Instance();
    if (parts.menuBar && parts.tabs && screen.IsPhone() && dlg::IsLandscape()) {
        // A turned phone has height to spare for neither bar: the menu bar
        // sits at the end of the tab row, and the pages keep the rest
        // below the question's bar when it shows.
        int top = 0;
        if (Shown(parts.questionBar)) {
            top = parts.questionBar->sizeHint().height();
            parts.questionBar->setGeometry(0, 0, width, top);
        }
        parts.tabs->setGeometry(0, top, width, height - top);
        const QTabBar* bar = parts.tabs->Bar();
        const int used = bar->count() > 0 ? bar->tabRect(bar->count() - 1).right() + 1 : 0;
        const int menuWidth = parts.menuBar->sizeHint().width();
        const int rowHeight = bar->sizeHint().height();
        parts.menuBar->setGeometry(std::max(used, width - menuWidth), height - rowHeight,
            std::min(menuWidth, width - used), rowHeight);
        parts.menuBar->raise();
        return;
    }
    int top = 0;
    if (parts.menuBar) {
        top = parts.menuBar->sizeHint().height();
        parts.menuBar->setGeometry(0, 0, width, top);
    }
    if (Shown(parts.questionBar)) {
        const int barHeight = parts.questionBar->sizeHint().height();
        parts.questionBar->setGeometry(0, top, width, barHeight);
        top += barHeight;
    }
    if (parts.tabs)
        parts.tabs->setGeometry(0, top, width, height - top);
}

QRect BubbleRectBelow(const MainWindowParts& parts, const QWidget* startButton)
{
    QWidget* page = parts.tabs ? parts.tabs->CurrentPage() : nullptr;
    if (!page || !startButton)
        return {};
    QRect area(page->mapToGlobal(QPoint(0, 0)), page->size());
    constexpr int kGap = 2;
    const QPoint below
        = startButton->parentWidget()->mapToGlobal(startButton->geometry().bottomLeft());
    area.setTop(std::max(area.top(), below.y() + 1 + kGap));
    return area;
}

} // namespace pelmora

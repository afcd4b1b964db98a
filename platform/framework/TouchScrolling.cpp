#include "platform/framework/TouchScrolling.h"

#include "platform/framework/ScreenModel.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QScroller>

namespace pelmora::dlg {

namespace {

class PolishWatch final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Polish)
            if (auto* area = qobject_cast<QAbstractScrollArea*>(watched))
                EnableTouchScrolling(area, ScreenModel::Instance().IsPhone());
        return false;
    }
};

} // namespace

void EnableTouchScrolling(QAbstractScrollArea* area, bool mouseToo)
{
    QWidget* surface = area->viewport();
    const QScroller::ScrollerGestureType gesture
        = mouseToo ? QScroller::LeftMouseButtonGesture : QScroller::TouchGesture;
    QScroller::ungrabGesture(surface);
    QScroller::grabGesture(surface, gesture);
    QScrollerProperties properties = QScroller::scroller(surface)->scrollerProperties();
    // A list that ends where it ends: no rubber band past its first or
    // last row, which reads as a fault on a small screen.
    const QVariant off = QVariant::fromValue(QScrollerProperties::OvershootAlwaysOff);
    properties.setScrollMetric(QScrollerProperties::HorizontalOvershootPolicy, off);
    properties.setScrollMetric(QScrollerProperties::VerticalOvershootPolicy, off);
    QScroller::scroller(surface)->setScrollerProperties(properties);
}

void InstallTouchScrolling()
{
    static bool installed = false;
    if (installed || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    installed = true;
    qApp->installEventFilter(new PolishWatch(qApp));
}

} // namespace pelmora::dlg

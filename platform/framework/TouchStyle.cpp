#include "platform/framework/TouchStyle.h"

#include "platform/framework/Dialog.h"
#include "platform/framework/PictureCtrl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScopedValueRollback>
#include <QStyleOptionMenuItem>

#include <algorithm>
#include <vector>

namespace pelmora::dlg {

namespace {

bool IsContainer(const QWidget* widget)
{
    return qobject_cast<const CDialog*>(widget) != nullptr;
}

// Sends the taps that land on a dialog's free space (or on a group box
// drawn behind its members) to the control whose hit rectangle holds them.
class CTapForwarder final : public QObject {
public:
    using QObject::QObject;
    int finger = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        // The forwarded tap itself passes through here too.
        if (forwarding_)
            return false;
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease
            && type != QEvent::MouseButtonDblClick)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;
        QWidget* dialog = widget;
        if (qobject_cast<QGroupBox*>(widget))
            dialog = widget->parentWidget();
        if (!dialog || !IsContainer(dialog))
            return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonRelease) {
            if (!pressed_)
                return false;
            QWidget* target = pressed_;
            pressed_ = nullptr;
            Forward(*mouse, target);
            return true;
        }
        const QPoint at = widget->mapTo(dialog, mouse->position().toPoint());
        // Only taps on the free space: a tap on a control that it did not
        // take (a picture) comes here on its way to the dialog.
        if (QWidget* under = dialog->childAt(at); under && !qobject_cast<QGroupBox*>(under))
            return false;
        QWidget* target = TargetAt(dialog, at);
        if (!target)
            return false;
        pressed_ = target;
        Forward(*mouse, target);
        return true;
    }

private:
    QWidget* TargetAt(QWidget* dialog, QPoint at) const
    {
        QWidget* best = nullptr;
        int bestDistance = 0;
        for (QObject* child : dialog->children()) {
            auto* control = qobject_cast<QWidget*>(child);
            if (!control || control->isHidden() || !control->isEnabled() || !IsTappable(control))
                continue;
            if (!TouchHitRect(control, finger).contains(at))
                continue;
            const QRect box = control->geometry();
            const int distance = at.y() < box.top() ? box.top() - at.y() : at.y() - box.bottom();
            if (!best || distance < bestDistance) {
                best = control;
                bestDistance = distance;
            }
        }
        return best;
    }

    // The tap as if it had landed on the control's middle line.
    void Forward(const QMouseEvent& mouse, QWidget* control)
    {
        const QScopedValueRollback<bool> busy(forwarding_, true);
        const QPoint onControl = control->mapFromGlobal(mouse.globalPosition().toPoint());
        QPoint local(std::clamp(onControl.x(), 0, control->width() - 1), control->height() / 2);
        QWidget* receiver = control;
        if (QWidget* inner = control->childAt(local)) {
            local = inner->mapFrom(control, local);
            receiver = inner;
        }
        QMouseEvent forwarded(mouse.type(), local, receiver->mapTo(receiver->window(), local),
            receiver->mapToGlobal(local), mouse.button(), mouse.buttons(), mouse.modifiers());
        QCoreApplication::sendEvent(receiver, &forwarded);
    }

    QPointer<QWidget> pressed_;
    bool forwarding_ = false;
};

CTapForwarder* Forwarder()
{
    static QPointer<CTapForwarder> forwarder;
    if (!forwarder) {
        forwarder = new CTapForwarder(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(forwarder);
    }
    return forwarder;
}

} // namespace

CTouchStyle::CTouchStyle(int finger)
    : finger_(finger)
{
}

QSize CTouchStyle::sizeFromContents(
    ContentsType type, const QStyleOption* option, const QSize& size, const QWidget* widget) const
{
    QSize grown = QProxyStyle::sizeFromContents(type, option, size, widget);
    switch (type) {
    case CT_MenuItem:
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            item && item->menuItemType == QStyleOptionMenuItem::Separator)
            return grown;
        [[fallthrough]];
    case CT_TabBarTab:
    case CT_MenuBarItem:
    case CT_ItemViewItem:
    case CT_PushButton:
        grown.setHeight(std::max(grown.height(), finger_));
        return grown;
    default:
        return grown;
    }
}

int CTouchStyle::pixelMetric(
    PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    const int base = QProxyStyle::pixelMetric(metric, option, widget);
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        // The box grows with the finger, as far as a line of text.
        return std::max(
            base, std::min(finger_ / 2, option ? option->fontMetrics.height() : finger_ / 2));
    default:
        return base;
    }
}

void InstallTouchStyle(int finger)
{
    auto* current = qobject_cast<CTouchStyle*>(QApplication::style());
    if (!current || current->Finger() != finger)
        QApplication::setStyle(new CTouchStyle(finger));
    Forwarder()->finger = finger;
}

void RemoveTouchStyle()
{
    if (auto* current = qobject_cast<CTouchStyle*>(QApplication::style()))
        QApplication::setStyle(current->baseStyle()->name());
    Forwarder()->finger = 0;
}

bool IsTappable(const QWidget* control)
{
    if (const auto* picture = qobject_cast<const CPictureCtrl*>(control))
        return picture->Clickable();
    return qobject_cast<const QAbstractButton*>(control) || qobject_cast<const QComboBox*>(control)
        || qobject_cast<const QLineEdit*>(control) || qobject_cast<const QPlainTextEdit*>(control);
}

namespace {

// The shown controls beside `control` in its dialog that a hit area stops
// at (a group box frames others and stops nothing).
std::vector<const QWidget*> Neighbours(const QWidget* control)
{
    std::vector<const QWidget*> near;
    for (const QObject* child : control->parentWidget()->children()) {
        const auto* other = qobject_cast<const QWidget*>(child);
        if (other && other != control && !other->isHidden() && !other->isWindow()
            && !qobject_cast<const QGroupBox*>(other))
            near.push_back(other);
    }
    return near;
}

// A narrow control's rectangle (`rect`, grown up and down already) grown
// towards `finger` pixels sideways, into the free space of its row; a
// tappable neighbour shares the space between halfway.
QRect Widened(const QWidget* control, const QRect& rect, int finger)
{
    const QWidget* dialog = control->parentWidget();
    const QRect box = control->geometry();
    int left = 0;
    int right = dialog->width() - 1;
    for (const QWidget* other : Neighbours(control)) {
        const QRect near = other->geometry();
        if (near.bottom() < rect.top() || near.top() > rect.bottom())
            continue;
        const bool tappable = IsTappable(other);
        if (near.right() < box.left())
            left
                = std::max(left, tappable ? (near.right() + box.left()) / 2 + 1 : near.right() + 1);
        else if (near.left() > box.right())
            right = std::min(right, tappable ? (near.left() + box.right()) / 2 : near.left() - 1);
    }
    const int want = finger - box.width();
    int before = std::min(want / 2, box.left() - left);
    const int after = std::min(want - before, right - box.right());
    before = std::min(want - after, box.left() - left);
    return QRect(
        QPoint(box.left() - before, rect.top()), QPoint(box.right() + after, rect.bottom()));
}

// The control's rectangle grown towards `finger` pixels up and down. With
// `shared`, a tappable neighbour keeps what its own hit rectangle takes of
// the space between (that rectangle worked out with the space split
// halfway); without, the space is split halfway.
QRect Grown(const QWidget* control, int finger, bool shared)
{
    const QRect box = control->geometry();
    const QWidget* dialog = control->parentWidget();
    if (!dialog || box.height() >= finger)
        return box.width() >= finger || !dialog ? box : Widened(control, box, finger);
    int top = 0;
    int bottom = dialog->height() - 1;
    for (const QWidget* other : Neighbours(control)) {
        const QRect near = other->geometry();
        if (near.right() < box.left() || near.left() > box.right())
            continue;
        const bool tappable = IsTappable(other);
        const QRect claimed = tappable && shared ? Grown(other, finger, false) : near;
        if (near.bottom() < box.top()) {
            const int halfway = (near.bottom() + box.top()) / 2 + 1;
            top = std::max(top,
                !tappable    ? near.bottom() + 1
                    : shared ? claimed.bottom() + 1
                             : halfway);
        } else if (near.top() > box.bottom()) {
            const int halfway = (near.top() + box.bottom()) / 2;
            bottom = std::min(bottom,
                !tappable    ? near.top() - 1
                    : shared ? claimed.top() - 1
                             : halfway);
        }
    }
    const int want = finger - box.height();
    int up = std::min(want / 2, box.top() - top);
    const int down = std::min(want - up, bottom - box.bottom());
    up = std::min(want - down, box.top() - top);
    const QRect grown(QPoint(box.left(), box.top() - up), QPoint(box.right(), box.bottom() + down));
    return box.width() >= finger ? grown : Widened(control, grown, finger);
}

} // namespace

QRect TouchHitRect(const QWidget* control, int finger)
{
    return Grown(control, finger, true);
}

} // namespace pelmora::dlg

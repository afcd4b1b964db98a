#pragma once

#include <QProxyStyle>
#include <QRect>

class QWidget;

namespace pelmora::dlg {

// On a phone, what a finger taps is at least `finger` pixels high: the
// platform's own parts (tabs, menu bar and menu items, pop-up and list rows,
// the buttons of message boxes) grow, and the pages' controls keep their
// places while taps on the free space around them reach them (TouchHitRect).
class CTouchStyle final : public QProxyStyle {
    Q_OBJECT
public:
    explicit CTouchStyle(int finger);

    int Finger() const { return finger_; }
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
        const QWidget* widget) const override;
    int pixelMetric(
        PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;

private:
    int finger_;
};

// Installs the style and the tap forwarding for the whole application, or
// follows a new finger size.
void InstallTouchStyle(int finger);
// Back to the style underneath, and no taps forwarded.
void RemoveTouchStyle();

// Whether a control of a dialog takes taps: buttons, check boxes, drop-down
// lists, edit fields, pictures with click notification.
bool IsTappable(const QWidget* control);

// Where in its dialog a tap reaches `control`: its rectangle grown up and
// down towards `finger` pixels into free space, meeting a tappable
// neighbour halfway and stopping at any other control and the dialog's edge.
QRect TouchHitRect(const QWidget* control, int finger);

} // namespace pelmora::dlg

#pragma once

#include "platform/shell/ScreenMetrics.h"

#include <QObject>
#include <QSize>

namespace pelmora::dlg {

// The screen the program lays itself out for. On a phone it is the real
// screen, and the design is scaled to fill it; on a desktop it is a
// simulated 240 x 320 phone screen that the user can turn to 320 x 240, so
// orientation handling can be seen and tested, drawn at a whole-number scale
// that suits the monitor.
class ScreenModel final : public QObject {
    Q_OBJECT
public:
    enum class Kind { SimulatedPhone, RealScreen };

    static ScreenModel& Instance();

    Kind ScreenKind() const { return kind_; }
    bool IsPhone() const { return kind_ == Kind::RealScreen; }
    QSize Size() const;
    // Turns the simulated screen by a quarter; does nothing on a real screen.
    void Rotate();
    // A phone's turn as its screen would report it, for tests: the real
    // screen takes `size` (an empty one gives the screen's own back).
    void TurnRealScreenForTesting(QSize size);
    // Chooses the real screen or the simulated one.
    void SetKind(Kind kind);
    // Decides again with the command line's choice (--screen), which wins
    // over PELMORA_SCREEN, which wins over the screen's size and the shell.
    void Choose(ScreenChoice option);

    // How much larger than the design everything is drawn: on a phone the
    // portrait width or the landscape height fills the screen (a page's
    // area below the bars, or the whole screen for a dialog), on a desktop
    // a whole number.
    enum class Surface { Page, WholeScreen };
    double DesignScale(Surface surface = Surface::Page) const;
    // The height the window's bars take on a phone: the menu bar above the
    // page in portrait, beside the tabs in landscape, and the tab row.
    int ChromeHeight() const;
    double PixelsPerMillimetre() const;
    int MillimetresToPixels(double millimetres) const;
    // The height a fingertip needs (7 mm) and the least it may have (5 mm).
    int FingerPixels() const { return MillimetresToPixels(kFingerMm); }
    int LeastTouchPixels() const { return MillimetresToPixels(kLeastTouchMm); }

    static constexpr double kFingerMm = 7.0;
    static constexpr double kLeastTouchMm = 5.0;

Q_SIGNALS:
    void Rotated();

private:
    ScreenModel();
    void Decide(ScreenChoice option);
    void ApplyToApplication();
    QSize AvailableSize() const;
    double SimulatedScale() const;

    Kind kind_ = Kind::SimulatedPhone;
    QSize simulated_ {240, 320};
    QSize turnedForTesting_;
};

// True when the screen is wider than high; a square screen is portrait.
bool IsLandscape();

} // namespace pelmora::dlg

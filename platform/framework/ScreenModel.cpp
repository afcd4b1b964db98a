#include "platform/framework/ScreenModel.h"

#include "platform/framework/DialogUnits.h"
#include "platform/framework/TouchScrolling.h"
#include "platform/framework/TouchStyle.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <optional>

namespace pelmora::dlg {

namespace {

ScreenChoice EnvironmentChoice()
{
    const QString text = qEnvironmentVariable("PELMORA_SCREEN");
    if (text.isEmpty())
        return ScreenChoice::Automatic;
    if (const auto choice = ParseScreenChoice(text))
        return *choice;
    std::fprintf(stderr, "pelmora: PELMORA_SCREEN takes phone, simulated or auto, not \"%s\"\n",
        text.toLocal8Bit().constData());
    return ScreenChoice::Automatic;
}

} // namespace

ScreenModel::ScreenModel()
{
    kind_ = UsesRealScreen(ScreenChoice::Automatic, EnvironmentChoice(), AvailableSize(),
                SessionHints::FromEnvironment())
        ? Kind::RealScreen
        : Kind::SimulatedPhone;
    // A phone reports its turns as a change of the screen's geometry.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this, [this] {
            if (kind_ == Kind::RealScreen) {
                ApplyToApplication();
                Q_EMIT Rotated();
            }
        });
}

ScreenModel& ScreenModel::Instance()
{
    static ScreenModel model;
    // Once the model exists, since the font and the style ask it (the UI
    // thread is the only one here).
    static bool applied = false;
    if (!applied) {
        applied = true;
        model.ApplyToApplication();
    }
    return model;
}

void ScreenModel::Decide(ScreenChoice option)
{
    const bool real = UsesRealScreen(
        option, EnvironmentChoice(), AvailableSize(), SessionHints::FromEnvironment());
    SetKind(real ? Kind::RealScreen : Kind::SimulatedPhone);
}

void ScreenModel::Choose(ScreenChoice option)
{
    Decide(option);
}

void ScreenModel::TurnRealScreenForTesting(QSize size)
{
    turnedForTesting_ = size;
    ApplyToApplication();
    Q_EMIT Rotated();
}

QSize ScreenModel::AvailableSize() const
{
    if (!turnedForTesting_.isEmpty())
        return turnedForTesting_;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize();
}

QSize ScreenModel::Size() const
{
    if (kind_ == Kind::RealScreen) {
        if (const QSize available = AvailableSize(); !available.isEmpty())
            return available;
    }
    return simulated_ * SimulatedScale();
}

double ScreenModel::DesignScale(Surface surface) const
{
    if (kind_ == Kind::SimulatedPhone)
        return SimulatedScale();
    const DialogBaseUnits design = DialogBaseUnits::Scaled(1.0);
    const UnitSize unit {design.baseX / 4.0, design.baseY / 8.0};
    if (surface == Surface::WholeScreen)
        return PhoneDesignScale(Size(), 0, unit, kLandscapeDialogHeightDu);
    return PhoneDesignScale(Size(), ChromeHeight(), unit);
}

double ScreenModel::SimulatedScale() const
{
    // While the screen is simulated the application's font is the desktop's.
    const QFont font = QGuiApplication::font();
    double pixels = font.pixelSize();
    if (pixels <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        pixels = font.pointSizeF() * (screen ? screen->logicalDotsPerInchY() : 96.0) / 72.0;
    }
    return SimulatedScreenScale(AvailableSize().height(), pixels);
}

int ScreenModel::ChromeHeight() const
{
    // The bars are a fingertip high, and the tab control keeps four pixels
    // around its pages.
    const int bars = IsLandscape() ? 1 : 2;
    return bars * FingerPixels() + 4;
}

double ScreenModel::PixelsPerMillimetre() const
{
    if (kind_ == Kind::SimulatedPhone)
        return SimulatedPixelsPerMillimetre(SimulatedScale());
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? PhonePixelsPerMillimetre(screen->geometry().size(), screen->physicalSize())
                  : PhonePixelsPerMillimetre({}, {});
}

int ScreenModel::MillimetresToPixels(double millimetres) const
{
    return pelmora::MillimetresToPixels(millimetres, PixelsPerMillimetre());
}

void ScreenModel::Rotate()
{
    if (kind_ != Kind::SimulatedPhone)
        return;
    simulated_.transpose();
    Q_EMIT Rotated();
}

void ScreenModel::SetKind(Kind kind)
{
    if (kind_ == kind)
        return;
    kind_ = kind;
    ApplyToApplication();
    Q_EMIT Rotated();
}

void ScreenModel::ApplyToApplication()
{
    // On a phone the platform's own parts (menus, pop-up lists, message
    // boxes) take the scaled dialog font and a fingertip's height too; the
    // simulated screen has the desktop's own.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    InstallTouchScrolling();
    static std::optional<QFont> desktopFont;
    if (kind_ == Kind::RealScreen) {
        if (!desktopFont)
            desktopFont = QApplication::font();
        QApplication::setFont(DialogFont());
        InstallTouchStyle(FingerPixels());
    } else if (desktopFont) {
        QApplication::setFont(*desktopFont);
        desktopFont.reset();
        RemoveTouchStyle();
    }
}

bool IsLandscape()
{
    const QSize size = ScreenModel::Instance().Size();
    return size.width() > size.height();
}

} // namespace pelmora::dlg

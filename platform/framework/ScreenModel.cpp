#include "platform/framework/ScreenModel.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>
#include <cstring>

namespace pelmora::dlg {

ScreenModel::ScreenModel()
{
    const char* choice = std::getenv("PELMORA_SCREEN");
    if (choice && std::strcmp(choice, "phone") == 0)
        kind_ = Kind::RealScreen;
    // A phone reports its turns as a change of the screen's geometry.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this, [this] {
            if (kind_ == Kind::RealScreen)
                Q_EMIT Rotated();
        });
}

ScreenModel& ScreenModel::Instance()
{
    static ScreenModel model;
    return model;
}

QSize ScreenModel::Size() const
{
    if (kind_ == Kind::RealScreen) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            return screen->availableGeometry().size();
    }
    return simulated_;
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
    Q_EMIT Rotated();
}

bool IsLandscape()
{
    const QSize size = ScreenModel::Instance().Size();
    return size.width() > size.height();
}

} // namespace pelmora::dlg

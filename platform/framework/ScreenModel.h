#pragma once

#include <QObject>
#include <QSize>

namespace pelmora::dlg {

// The screen the program lays itself out for. On a phone it is the real
// screen; on a desktop it is a simulated 240 x 320 phone screen that the user
// can turn to 320 x 240, so orientation handling can be seen and tested.
class ScreenModel final : public QObject {
    Q_OBJECT
public:
    enum class Kind { SimulatedPhone, RealScreen };

    static ScreenModel& Instance();

    Kind ScreenKind() const { return kind_; }
    QSize Size() const;
    // Turns the simulated screen by a quarter; does nothing on a real screen.
    void Rotate();
    // Chooses the real screen or the simulated one (default: simulated,
    // unless PELMORA_SCREEN=phone).
    void SetKind(Kind kind);

Q_SIGNALS:
    void Rotated();

private:
    ScreenModel();
    Kind kind_ = Kind::SimulatedPhone;
    QSize simulated_ {240, 320};
};

// True when the screen is wider than high; a square screen is portrait.
bool IsLandscape();

} // namespace pelmora::dlg

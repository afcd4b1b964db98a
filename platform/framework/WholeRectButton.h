#pragma once

#include <QPoint>

namespace pelmora::dlg {

// A check box or radio button that answers a tap anywhere in its rectangle,
// as the platform's buttons do, not only on its indicator and text: a row
// wider than its text stays one touch target.
template <class Button> class CWholeRectButton final : public Button {
public:
    using Button::Button;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

} // namespace pelmora::dlg

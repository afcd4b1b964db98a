#pragma once

#include <QCheckBox>

namespace pelmora::dlg {

// A check box whose text wraps onto several lines within its rectangle, as
// the platform's multi-line check box does.
class CWrappingCheckBox final : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace pelmora::dlg

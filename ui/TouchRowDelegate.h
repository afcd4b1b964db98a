#pragma once

#include <QStyledItemDelegate>

namespace pelmora {

// Gives every row of a list at least the height of a fingertip (about 7 mm
// at the screen's density), so rows and their check boxes are easy to hit.
class CTouchRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CTouchRowDelegate(QWidget* view);

    static constexpr double kTouchMillimetres = 7.0;
    // The touch height in pixels for a widget's screen.
    static int TouchHeight(const QWidget* widget);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int minHeight_;
};

} // namespace pelmora

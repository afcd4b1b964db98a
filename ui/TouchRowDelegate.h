#pragma once

#include <QStyledItemDelegate>

namespace pelmora {

// Rows a fingertip can hit: every row is at least about 7 mm high at the
// screen's density, and in a list with check boxes a tap anywhere on a row
// turns its box, not only a tap on the small box itself.
class CTouchRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CTouchRowDelegate(QWidget* view);

    static constexpr double kTouchMillimetres = 7.0;
    // The touch height in pixels for a widget's screen.
    static int TouchHeight(const QWidget* widget);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

private:
    int minHeight_;
};

} // namespace pelmora

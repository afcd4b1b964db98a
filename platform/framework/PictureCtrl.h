#pragma once

#include <QLabel>

#include <functional>

namespace pelmora::dlg {

// A static picture showing a bitmap or an icon resource, drawn as large as
// its rectangle allows (proportions kept, centred) at the screen's pixel
// density; with click notification it reports taps to its owner and is a
// button for the keyboard too: Tab reaches it, Enter or Space presses it.
class CPictureCtrl final : public QLabel {
    Q_OBJECT
public:
    explicit CPictureCtrl(QWidget* parent = nullptr);

    void SetImage(int resource);
    int Image() const { return resource_; }
    void SetOnClick(std::function<void()> onClick);
    bool Clickable() const { return static_cast<bool>(onClick_); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int resource_ = 0;
    std::function<void()> onClick_;
};

} // namespace pelmora::dlg

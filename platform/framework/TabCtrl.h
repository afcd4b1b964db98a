#pragma once

#include <QTabBar>
#include <QWidget>

#include <string_view>

namespace pelmora::dlg {

// The platform's tab control with its tabs drawn at the bottom. The control
// owns only the tab row; the windows shown above it are its children, placed
// by whoever uses it.
class CTabCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CTabCtrl(QWidget* parent = nullptr);

    // Inserts a tab before `index` (or at the end); returns its index or -1.
    int InsertItem(int index, std::u16string_view text);
    int GetItemCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    QRect GetItemRect(int index) const;
    // Converts between the control's rectangle and its display area, the
    // part above the tab row (`larger` converts a display area back).
    void AdjustRect(bool larger, QRect& rect) const;
    QTabBar* Bar() const { return bar_; }

protected:
    // Called after the user changed the selection.
    virtual void OnSelChange() { }
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceBar();
    // The tabs in the present scale's font; on a phone a fingertip high.
    void ApplyScreenScale();
    QString sheet_;
    QTabBar* bar_;
    bool settingSelection_ = false;
};

} // namespace pelmora::dlg

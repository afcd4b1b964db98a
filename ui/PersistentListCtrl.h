#pragma once

#include "platform/framework/CommandTarget.h"
#include "platform/framework/PopupMenu.h"

#include <QColor>
#include <QTreeWidget>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

// The base of every list of the program: a report list with full-row single
// selection whose column widths are remembered per list and orientation,
// with row tints, a tap-and-hold menu and find-as-you-type selection.
class CPersistentListCtrl : public QTreeWidget, public dlg::AttachedControl {
    Q_OBJECT
public:
    explicit CPersistentListCtrl(QWidget* parent = nullptr);
    ~CPersistentListCtrl() override;

    // A list that a dialog template created: columns, then remembered widths.
    void PreSubclassWindow() override;
    // A list the program creates itself.
    bool Create(QWidget* parent, const QRect& rect);

    void LoadColumnWidths();
    void SaveColumnWidths();
    // Selects the first row whose first column begins with `text`, ignoring
    // case, and scrolls it to the top; no match changes nothing.
    void FindAndSelect(std::u16string_view text);

    // The row the last tap-and-hold or selection named; -1 for none.
    int GetSelectionMark() const { return selectionMark_; }
    void SetSelectionMark(int row) { selectionMark_ = row; }
    int InsertColumn(int index, std::u16string_view title, int width);
    int GetColumnCount() const;
    // The list's client width less a vertical scroll bar.
    int ClientWidthForColumns() const;
    int ClientWidth() const;

    // Each column as wide as its title and texts need, the rest to the last.
    void FitColumnsToTexts();
    // Widens the columns whose texts need more; never narrows one.
    void WidenColumnsToTexts();
    // The last column takes what the others leave of the list's width, or
    // gives back what it has beyond its texts' need.
    void FillWithLastColumn();

    // The settings section of a list's widths ("_Phone" added on a phone's
    // own screen, "_L" in landscape).
    std::u16string ProfileSection() const;

    // The tint of a row's text background, if any.
    virtual std::optional<QColor> RowTint(int row) const;

protected:
    virtual void InitColumns() = 0;
    // Empty: the widths are not remembered.
    virtual std::u16string GetSectionName() const { return {}; }
    // The tap-and-hold menu; empty for none.
    virtual std::vector<dlg::MenuItem> PopupMenuItems() const { return {}; }
    // Who receives the menu's commands: the list's parent page.
    virtual dlg::CommandTarget* MenuOwner() const;

    // The tap-and-hold gesture at a point of the list (viewport coordinates).
    void OnContextGesture(QPoint viewportPoint, QPoint screenPoint);

    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void SetUpStyle();
    void SetColumnWidthWord(int column, int width);
    std::u16string Section() const;
    std::u16string section_;
    // The section the widths shown were loaded from.
    std::u16string loadedSection_;
    bool started_ = false;
    int selectionMark_ = -1;
};

} // namespace pelmora

#pragma once

#include "ui/CallLog.h"
#include "ui/PersistentListCtrl.h"

#include <optional>

namespace pelmora {

// The call log: one row per handled call, oldest first, each row carrying the
// time it was logged (seconds since 1970) so rows can be cleared by age.
class CLogListCtrl final : public CPersistentListCtrl {
    Q_OBJECT
public:
    explicit CLogListCtrl(QWidget* parent = nullptr);

    enum Column { Number, Caller, Time, Rings, SmsSent };

    void SetClock(LogClock clock) { clock_ = std::move(clock); }

    // Appends a call as the reply pipeline logs it; the row is stamped now.
    int AppendCall(std::u16string_view number, std::u16string_view firstName,
        std::u16string_view lastName, int32_t rings, std::u16string_view smsSent);
    // Appends a row as the pipeline made it.
    void AppendRow(const CallLogRow& row);
    // Sets the SMS Sent text of the newest row equal to `row`; nothing when
    // the user has deleted it since.
    void SetRowStatus(const CallLogRow& row, std::u16string_view smsSent);
    // Inserts a row with the given stamp (none: a row that never ages).
    int InsertRow(std::u16string_view number, std::optional<uint32_t> stamp);
    void SetRowText(int row, int column, std::u16string_view text);
    std::u16string RowText(int row, int column) const;
    std::optional<uint32_t> RowStamp(int row) const;
    int RowCount() const { return topLevelItemCount(); }

    // Removes the rows at least `halfHours` half-hours old; less than 1 removes nothing.
    void DeleteOlderThan(int32_t halfHours);
    void ClearAll();
    // Lets go of a row's stamp; the caller removes the row.
    void DeleteEntry(int row);
    void RemoveRow(int row);
    // Rows for `number` whose reply was sent ("Yes"), for the per-caller limit.
    int CountSentTo(std::u16string_view number) const;

    std::optional<QColor> RowTint(int row) const override;

    // On a phone held upright each row is stacked on two lines (or more,
    // where texts need them) across the whole width: the number and the
    // reply, then the caller and the time with the rings. Elsewhere the five
    // columns show, on a phone each as wide as its texts.
    bool IsStacked() const { return stacked_; }
    struct StackedText {
        QRect rect;
        QString text;
        Qt::Alignment align;
    };
    // Where a stacked row's texts go in a row `width` wide, from the top.
    static std::vector<StackedText> StackRow(
        const QFontMetrics& metrics, int width, const QTreeWidgetItem& item);

    static constexpr int ID_DELETE_ENTRY = 32786;
    static constexpr int ID_CANCEL_MENU = 32787;
    static constexpr int ID_CALL_NUMBER = 32794;

protected:
    void InitColumns() override;
    std::u16string GetSectionName() const override { return u"CLogListCtrl"; }
    std::vector<dlg::MenuItem> PopupMenuItems() const override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FollowScreen();
    // A new or changed row: spanned when stacked, its texts whole otherwise.
    void FitRow(QTreeWidgetItem* item);
    LogClock clock_;
    bool stacked_ = false;
};

} // namespace pelmora

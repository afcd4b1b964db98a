#pragma once

#include "ui/PersistentListCtrl.h"

#include <QIcon>

namespace pelmora {

class CContactsSession;
struct ProfileEntry;

// The custom entries of one profile, one row per entry in entry order, each
// row carrying its entry. Group rows and contact rows are told apart by their
// tint and icon.
class CProfileEntriesListCtrl final : public CPersistentListCtrl {
    Q_OBJECT
public:
    explicit CProfileEntriesListCtrl(QWidget* parent = nullptr);

    int RowCount() const { return topLevelItemCount(); }
    ProfileEntry* RowEntry(int row) const;
    std::u16string RowText(int row, int column) const;
    // Appends a row for `entry`, its name taken through `session` (none opens
    // one for this row); returns its index.
    int AppendEntry(ProfileEntry* entry, CContactsSession* session);
    // Every row shows its entry's message name again.
    void RefreshMessages();
    // Removes a row and leaves no row marked.
    void RemoveRow(int row);
    void RemoveAllRows();

    std::optional<QColor> RowTint(int row) const override;

    static constexpr int ID_ADD_GROUP_MSG = 3;
    static constexpr int ID_ADD_CONTACT_MSG = 4;
    static constexpr int ID_DELETE_ENTRY = 5;
    static constexpr int ID_CANCEL_MENU = 32787;
    static constexpr int kEntryColumnWidth = 80;
    static constexpr size_t kNameUnits = 200;

protected:
    void InitColumns() override;
    std::u16string GetSectionName() const override { return u"CProfileEntriesListCtrl"; }
    std::vector<dlg::MenuItem> PopupMenuItems() const override;

private:
    QIcon contactIcon_;
    QIcon groupIcon_;
};

} // namespace pelmora

#pragma once

#include "ui/PersistentListCtrl.h"

#include <cstdint>
#include <vector>

namespace pelmora {

// The whole address book as a list, one row per contact in the contacts
// service's order, each row carrying its contact identifier. With its
// check-box flag on (the default) every row has a check box: the group
// dialog's member picker; with the flag off it is a plain picker of one
// contact. Set the flag before the list is attached to its dialog.
class CSelectContactsListCtrl final : public CPersistentListCtrl {
    Q_OBJECT
public:
    explicit CSelectContactsListCtrl(QWidget* parent = nullptr);

    int32_t checkBoxFlag = 1;

    // Lists every contact through a session of its own, inserted as one batch.
    // False when the session could not be opened or stopped delivering
    // contacts, so the rows are only part of the address book.
    bool FillContactList();

    int RowCount() const { return topLevelItemCount(); }
    uint32_t RowContact(int row) const;
    std::u16string RowText(int row) const;
    bool IsRowChecked(int row) const;
    void SetRowChecked(int row, bool checked);
    // The contact identifiers of all rows, in row order.
    std::vector<uint32_t> ListedContacts() const;

    std::optional<QColor> RowTint(int row) const override;

protected:
    void InitColumns() override;
    std::u16string GetSectionName() const override { return u"CSelectContactsListCtrl"; }

private:
    bool checkBoxes_ = false; // the flag as it was when the columns were set up
};

} // namespace pelmora

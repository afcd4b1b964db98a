#include "rules/SelectContactsListCtrl.h"

#include "messages/ContactsSession.h"
#include "rules/ContactListing.h"
#include "rules/GroupControls.h"
#include "ui/TouchRowDelegate.h"

#include <QHeaderView>

namespace pelmora {

CSelectContactsListCtrl::CSelectContactsListCtrl(QWidget* parent)
    : CPersistentListCtrl(parent)
{
    setItemDelegate(new CTouchRowDelegate(this));
    header()->setSectionsClickable(false);
    // The one column spans the list; once the rows need a vertical scroll bar
    // it would otherwise be pushed into a horizontal one as well.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CSelectContactsListCtrl::InitColumns()
{
    InsertColumn(0, u"Contact name", ClientWidthForColumns());
    checkBoxes_ = checkBoxFlag != 0;
}

std::optional<QColor> CSelectContactsListCtrl::RowTint(int row) const
{
    if (row % 2 == 0)
        return QColor(160, 255, 160);
    return std::nullopt;
}

bool CSelectContactsListCtrl::FillContactList()
{
    CContactsSession session;
    session.Logon();
    const ContactListing listing = ListContacts(session);
    session.Logoff();

    // One insertion of prepared rows, so a long address book is not laid
    // out and painted row by row.
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(listing.rows.size()));
    for (const ContactRow& contact : listing.rows) {
        auto* item = new QTreeWidgetItem(QStringList {QString::fromStdU16String(contact.text)});
        item->setData(0, Qt::UserRole, QVariant::fromValue<quintptr>(contact.contactId));
        if (checkBoxes_)
            item->setCheckState(0, Qt::Unchecked);
        else
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        items.append(item);
    }
    setUpdatesEnabled(false);
    addTopLevelItems(items);
    setUpdatesEnabled(true);
    return listing.complete;
}

uint32_t CSelectContactsListCtrl::RowContact(int row) const
{
    return static_cast<uint32_t>(RowData(this, row));
}

std::u16string CSelectContactsListCtrl::RowText(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(0).toStdU16String() : std::u16string();
}

bool CSelectContactsListCtrl::IsRowChecked(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item && item->checkState(0) == Qt::Checked;
}

void CSelectContactsListCtrl::SetRowChecked(int row, bool checked)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

std::vector<uint32_t> CSelectContactsListCtrl::ListedContacts() const
{
    std::vector<uint32_t> contacts;
    contacts.reserve(static_cast<size_t>(RowCount()));
    for (int row = 0; row < RowCount(); ++row)
        contacts.push_back(RowContact(row));
    return contacts;
}

} // namespace pelmora

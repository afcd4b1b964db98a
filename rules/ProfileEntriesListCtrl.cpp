#include "rules/ProfileEntriesListCtrl.h"

#include "platform/framework/DialogUnits.h"

#include "platform/framework/ResourceImages.h"
#include "platform/storage/FixedText.h"
#include "resources/Resources.h"
#include "rules/GroupControls.h"
#include "rules/ProfileStore.h"
#include "ui/TouchRowDelegate.h"

#include <QHeaderView>

namespace pelmora {

namespace {

QSize IconSize()
{
    return {dlg::ScaledPixels(16), dlg::ScaledPixels(16)};
}

} // namespace

CProfileEntriesListCtrl::CProfileEntriesListCtrl(QWidget* parent)
    : CPersistentListCtrl(parent)
    // Drawn once for the screen's density; transparency takes the place of a
    // mask colour.
    , contactIcon_(dlg::LoadImageResource(IDB_CONTACT, IconSize(), devicePixelRatioF()))
    , groupIcon_(dlg::LoadImageResource(IDB_GROUP, IconSize(), devicePixelRatioF()))
{
    setItemDelegate(new CTouchRowDelegate(this));
    setIconSize(IconSize());
    header()->setSectionsClickable(false);
    // A tap on a row (or moving to it with the keys) marks it, as the
    // platform's list does.
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current)
            SetSelectionMark(indexOfTopLevelItem(current));
    });
}

void CProfileEntriesListCtrl::InitColumns()
{
    InsertColumn(0, u"Entry", kEntryColumnWidth);
    InsertColumn(1, u"Message", ClientWidthForColumns() - kEntryColumnWidth);
}

std::vector<dlg::MenuItem> CProfileEntriesListCtrl::PopupMenuItems() const
{
    return {{ID_CANCEL_MENU, u"Cancel"}, dlg::MenuItem::Separator(),
        {ID_ADD_GROUP_MSG, u"Add Group Msg"}, {ID_ADD_CONTACT_MSG, u"Add Contact Msg"},
        dlg::MenuItem::Separator(), {ID_DELETE_ENTRY, u"Delete Entry"}};
}

std::optional<QColor> CProfileEntriesListCtrl::RowTint(int row) const
{
    const ProfileEntry* entry = RowEntry(row);
    if (!entry)
        return std::nullopt;
    return entry->IsGroup() ? QColor(255, 180, 140) : QColor(160, 255, 160);
}

ProfileEntry* CProfileEntriesListCtrl::RowEntry(int row) const
{
    return reinterpret_cast<ProfileEntry*>(RowData(this, row));
}

std::u16string CProfileEntriesListCtrl::RowText(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column).toStdU16String() : std::u16string();
}

int CProfileEntriesListCtrl::AppendEntry(ProfileEntry* entry, CContactsSession* session)
{
    if (!entry)
        return -1;
    std::u16string name = EntryDisplayName(*entry, session);
    name = CutWhole(name, kNameUnits - 1);
    auto* item = new QTreeWidgetItem(QStringList {
        QString::fromStdU16String(name), QString::fromStdU16String(EntryMessageName(*entry))});
    item->setIcon(0, entry->IsGroup() ? groupIcon_ : contactIcon_);
    addTopLevelItem(item);
    const int row = topLevelItemCount() - 1;
    SetRowData(this, row, reinterpret_cast<uintptr_t>(entry));
    return row;
}

void CProfileEntriesListCtrl::RefreshMessages()
{
    for (int row = 0; row < RowCount(); ++row)
        if (const ProfileEntry* entry = RowEntry(row))
            topLevelItem(row)->setText(1, QString::fromStdU16String(EntryMessageName(*entry)));
}

void CProfileEntriesListCtrl::RemoveRow(int row)
{
    if (!topLevelItem(row))
        return;
    // The next Delete Entry waits for the user to pick a row.
    const QSignalBlocker quiet(this);
    delete takeTopLevelItem(row);
    setCurrentItem(nullptr);
    clearSelection();
    SetSelectionMark(-1);
}

void CProfileEntriesListCtrl::RemoveAllRows()
{
    const QSignalBlocker quiet(this);
    clear();
    SetSelectionMark(-1);
}

} // namespace pelmora

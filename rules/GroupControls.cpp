#include "rules/GroupControls.h"

#include "platform/storage/FixedText.h"
#include "rules/GroupStore.h"

#include <QLineEdit>
#include <QTreeWidget>

namespace pelmora {

uintptr_t RowData(const QTreeWidget* list, int row)
{
    const QTreeWidgetItem* item = list->topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).value<quintptr>() : 0;
}

void SetRowData(QTreeWidget* list, int row, uintptr_t data)
{
    if (QTreeWidgetItem* item = list->topLevelItem(row))
        item->setData(0, Qt::UserRole, QVariant::fromValue<quintptr>(data));
}

void FillGroupList(QTreeWidget* list)
{
    for (const auto& group : Groups()) {
        auto* row = new QTreeWidgetItem(list);
        row->setText(0, QString::fromStdU16String(group->name.Text()));
        row->setData(0, Qt::UserRole,
            QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(group.get())));
    }
}

void FillGroupCombo(dlg::CComboBox combo)
{
    for (const auto& group : Groups()) {
        const int index = combo.AddString(group->name.Text());
        combo.SetItemData(index, reinterpret_cast<uintptr_t>(group.get()));
    }
}

int32_t SelectedGroupId(dlg::CComboBox combo)
{
    const int selection = combo.GetCurSel();
    if (selection < 0)
        return 0;
    const auto* group = combo.ItemPointer<GroupRecord>(selection);
    return group ? group->id : 0;
}

void CheckMembers(const GroupRecord& group, QTreeWidget* contacts)
{
    const int rows = contacts->topLevelItemCount();
    if (group.members.empty() || rows == 0)
        return;
    int cursor = 0;
    for (uint32_t member : group.members) {
        int row = cursor;
        do {
            if (RowData(contacts, row) == member) {
                contacts->topLevelItem(row)->setCheckState(0, Qt::Checked);
                cursor = row;
                break;
            }
            row = (row + 1) % rows;
        } while (row != cursor);
    }
}

void CollectMembers(GroupRecord& group, QTreeWidget* contacts)
{
    group.members.clear();
    for (int row = 0; row < contacts->topLevelItemCount(); ++row)
        if (contacts->topLevelItem(row)->checkState(0) == Qt::Checked)
            group.members.push_back(static_cast<uint32_t>(RowData(contacts, row)));
}

void SetNameFromEdit(GroupRecord& group, const QLineEdit* edit)
{
    const std::u16string text = edit->text().toStdU16String();
    group.SetName(CutWhole(text, GroupRecord::kEditNameChars));
}

} // namespace pelmora

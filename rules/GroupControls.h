#pragma once

#include "platform/framework/ComboBox.h"

#include <cstdint>

class QLineEdit;
class QTreeWidget;

namespace pelmora {

class GroupRecord;

// The group store's operations on controls: rows and items carry the group
// record (or, in the contact list, the contact identifier) as their datum.
void FillGroupList(QTreeWidget* list);
void FillGroupCombo(dlg::CComboBox combo);
int32_t SelectedGroupId(dlg::CComboBox combo);
// Checks the rows of the group's members in one pass over the contact list:
// each search starts where the previous member was found and wraps.
void CheckMembers(const GroupRecord& group, QTreeWidget* contacts);
// Replaces the group's members by the checked rows' contacts, in row order.
void CollectMembers(GroupRecord& group, QTreeWidget* contacts);
// The edit's text, cut at 49 characters, becomes the group's name.
void SetNameFromEdit(GroupRecord& group, const QLineEdit* edit);

// The datum of a list row, as the platform's list view keeps it.
uintptr_t RowData(const QTreeWidget* list, int row);
void SetRowData(QTreeWidget* list, int row, uintptr_t data);

} // namespace pelmora

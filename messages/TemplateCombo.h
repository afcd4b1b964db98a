#pragma once

#include "platform/framework/ComboBox.h"

#include <cstdint>

namespace pelmora {

// Lists the templates in a combo box, each item's datum the record itself;
// with `withDoNotSend` the "<do not send>" choice comes first. The selected
// record stays selected when it is still listed.
void FillTemplateCombo(dlg::CComboBox combo, bool withDoNotSend);
// Selects the first item whose template has `id`; none when no item has it.
void SelectTemplateInCombo(dlg::CComboBox combo, int32_t id);
// The id of the selected item's template, or 0 when nothing is selected.
int32_t SelectedTemplateId(dlg::CComboBox combo);

} // namespace pelmora

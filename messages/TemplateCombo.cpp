#include "messages/TemplateCombo.h"

#include "messages/TemplateStore.h"

namespace pelmora {

void FillTemplateCombo(dlg::CComboBox combo, bool withDoNotSend)
{
    const int selection = combo.GetCurSel();
    const uintptr_t remembered = selection >= 0 ? combo.GetItemData(selection) : 0;
    while (combo.GetCount() > 0)
        combo.DeleteString(0);
    if (withDoNotSend) {
        const int index = combo.AddString(DoNotSendTemplate().name.Text());
        combo.SetItemData(index, reinterpret_cast<uintptr_t>(&DoNotSendTemplate()));
    }
    for (const auto& record : Templates()) {
        const int index = combo.AddString(record->name.Text());
        combo.SetItemData(index, reinterpret_cast<uintptr_t>(record.get()));
        if (remembered == reinterpret_cast<uintptr_t>(record.get()))
            combo.SetCurSel(index);
    }
}

void SelectTemplateInCombo(dlg::CComboBox combo, int32_t id)
{
    combo.SetCurSel(-1);
    for (int i = 0; i < combo.GetCount(); ++i) {
        const auto* record = combo.ItemPointer<TemplateRecord>(i);
        if (record && record->id == id) {
            combo.SetCurSel(i);
            return;
        }
    }
}

int32_t SelectedTemplateId(dlg::CComboBox combo)
{
    const int selection = combo.GetCurSel();
    if (selection < 0)
        return 0;
    const auto* record = combo.ItemPointer<TemplateRecord>(selection);
    return record ? record->id : 0;
}

} // namespace pelmora

#include "platform/framework/ComboBox.h"

namespace pelmora::dlg {

void CComboBox::SetCurSel(int index)
{
    if (combo_)
        combo_->setCurrentIndex(index >= 0 && index < combo_->count() ? index : -1);
}

int CComboBox::AddString(std::u16string_view text)
{
    if (!combo_)
        return -1;
    const int selection = combo_->currentIndex();
    combo_->addItem(QString::fromStdU16String(std::u16string(text)));
    combo_->setCurrentIndex(selection);
    return combo_->count() - 1;
}

void CComboBox::DeleteString(int index)
{
    if (combo_)
        combo_->removeItem(index);
}

void CComboBox::ResetContent()
{
    if (combo_)
        combo_->clear();
}

void CComboBox::SetItemData(int index, uintptr_t data)
{
    if (combo_)
        combo_->setItemData(index, QVariant::fromValue<quintptr>(data));
}

uintptr_t CComboBox::GetItemData(int index) const
{
    return combo_ ? combo_->itemData(index).value<quintptr>() : 0;
}

std::u16string CComboBox::GetLBText(int index) const
{
    return combo_ ? combo_->itemText(index).toStdU16String() : std::u16string();
}

} // namespace pelmora::dlg

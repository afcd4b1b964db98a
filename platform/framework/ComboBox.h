#pragma once

#include <QComboBox>

#include <cstdint>
#include <string_view>

namespace pelmora::dlg {

// The platform's drop-down list combo box over a Qt combo box: items with a
// datum, a selection that may be none, and indexes as results.
class CComboBox final {
public:
    explicit CComboBox(QComboBox* combo)
        : combo_(combo)
    {
    }

    bool IsValid() const { return combo_ != nullptr; }
    int GetCount() const { return combo_ ? combo_->count() : 0; }
    int GetCurSel() const { return combo_ ? combo_->currentIndex() : -1; }
    // An index out of range leaves no selection.
    void SetCurSel(int index);
    // Appends an item; the selection does not change.
    int AddString(std::u16string_view text);
    void DeleteString(int index);
    void ResetContent();
    void SetItemData(int index, uintptr_t data);
    uintptr_t GetItemData(int index) const;
    std::u16string GetLBText(int index) const;

    template <class T> T* ItemPointer(int index) const
    {
        return reinterpret_cast<T*>(GetItemData(index));
    }

private:
    QComboBox* combo_;
};

} // namespace pelmora::dlg

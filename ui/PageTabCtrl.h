#pragma once

#include "platform/framework/CommandTarget.h"
#include "platform/framework/TabCtrl.h"

#include <array>
#include <string_view>

namespace pelmora {

// The main window's tab control: up to ten pages, one per tab, shown above
// the tabs; the page of the selected tab is the only one visible.
class CPageTabCtrl final : public dlg::CTabCtrl, public dlg::CommandTarget {
    Q_OBJECT
public:
    static constexpr int kSlots = 10;

    explicit CPageTabCtrl(QWidget* parent = nullptr);
    ~CPageTabCtrl() override;

    // Puts `page` in slot `index` and inserts its tab; the tab's index or -1.
    int AddPage(int index, std::u16string_view caption, QWidget* page);
    void SelectPage(int index);
    QWidget* CurrentPage() const
    {
        return current_ >= 0 ? slots_[static_cast<size_t>(current_)] : nullptr;
    }
    QWidget* PageAt(int index) const;

    // Commands go to the parent window first.
    bool RouteCommand(int id) override;
    std::optional<bool> UpdateCommand(int id) override
    {
        return dlg::OfferUpdateToParent(this, id);
    }

protected:
    void OnSelChange() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowSlot(int index);
    std::array<QWidget*, kSlots> slots_ {};
    int current_ = -1;
};

} // namespace pelmora

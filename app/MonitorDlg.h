#pragma once

#include "platform/framework/Dialog.h"

#include <array>

namespace pelmora::dlg {
class CTabCtrl;
}

namespace pelmora {

// The program's only top-level window: the five tabs and everything that
// lives for the whole run.
class CMonitorDlg final : public dlg::CDialog {
    Q_OBJECT
public:
    explicit CMonitorDlg(QWidget* parent = nullptr);
    ~CMonitorDlg() override;

    dlg::CTabCtrl* Tabs() const { return tabs_; }
    QWidget* Page(int index) const { return pages_.at(static_cast<size_t>(index)); }
    void SelectPage(int index);

protected:
    bool OnInitDialog() override;
    void OnSize() override;

private:
    void BuildPages();
    void PlaceTabs();
    void FitToScreen();

    dlg::CTabCtrl* tabs_ = nullptr;
    std::array<QWidget*, 5> pages_ {};
};

} // namespace pelmora

#pragma once

#include "history/HistoryModel.h"
#include "ui/OrientedPropertyPage.h"

#include <functional>
#include <string>

class QTreeView;

namespace pelmora {

// Tools > History: the recorded calls newest first, searched by number or
// name as the user types. A tap shows the whole record (CHistoryCallDlg);
// tap-and-hold offers Call number and Delete; Clear history empties it. Both
// ask first. Calls recorded or moved on while it is open show at once, the
// rows in view, the selection and the search staying as they were.
class CHistoryDlg final : public COrientedDialog {
    Q_OBJECT
public:
    using Dialer = std::function<void(const std::u16string& number)>;
    CHistoryDlg(CallHistory& history, Dialer dial, QWidget* parent);

    static constexpr int IDC_SEARCH = 1110;
    static constexpr int IDC_CALLS = 1111;
    static constexpr int IDC_CLEAR = 1112;
    static constexpr int ID_CALL_NUMBER = 32799;
    static constexpr int ID_DELETE = 32800;

    HistoryModel& Model() { return model_; }
    QTreeView* View() const;
    // What a tap and a tap-and-hold on row `row` do.
    void ShowDetails(int row);
    void OfferMenu(int row, QPoint screenPoint);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id) override;
    void OnNotify(int id, dlg::ControlNotification code) override;

private:
    int CurrentRow() const;

    CallHistory& history_;
    HistoryModel model_;
    Dialer dial_;
};

} // namespace pelmora

#pragma once

#include "history/CallHistory.h"
#include "ui/OrientedPropertyPage.h"

namespace pelmora {

// One call's whole record (HistoryDetails), as a tap in Tools > History
// shows it. It follows the history while open: a fate or delivery moved on
// shows at once, and it closes when the call is deleted.
class CHistoryCallDlg final : public COrientedDialog {
    Q_OBJECT
public:
    CHistoryCallDlg(CallHistory& history, int64_t id, QWidget* parent);
    ~CHistoryCallDlg() override;

    static constexpr int IDC_RECORD = 1113;

    int64_t Id() const { return id_; }

protected:
    bool OnInitDialog() override;

private:
    void Follow(const HistoryChange& change);
    void ShowRecord();

    CallHistory& history_;
    int64_t id_;
    int listener_ = 0;
};

} // namespace pelmora

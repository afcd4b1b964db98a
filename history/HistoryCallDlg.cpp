#include "history/HistoryCallDlg.h"

#include "history/HistoryText.h"
#include "platform/framework/MessageBox.h"
#include "resources/Resources.h"

#include <QPlainTextEdit>
#include <QScrollBar>

namespace pelmora {

CHistoryCallDlg::CHistoryCallDlg(CallHistory& history, int64_t id, QWidget* parent)
    : COrientedDialog(IDD_HISTORY_CALL, IDD_HISTORY_CALL_L, parent)
    , history_(history)
    , id_(id)
    , listener_(history.AddChangeListener([this](const HistoryChange& c) { Follow(c); }))
{
}

CHistoryCallDlg::~CHistoryCallDlg()
{
    history_.RemoveChangeListener(listener_);
}

bool CHistoryCallDlg::OnInitDialog()
{
    if (auto* record = Control<QPlainTextEdit>(IDC_RECORD))
        // A long number or word breaks anywhere rather than running off.
        record->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    ShowRecord();
    return true;
}

void CHistoryCallDlg::ShowRecord()
{
    const std::optional<CallRecord> record = history_.ReadRow(id_);
    if (!record || !IsBuilt())
        return;
    // The reader keeps their place in a long text.
    auto* edit = Control<QPlainTextEdit>(IDC_RECORD);
    const int scrolled = edit ? edit->verticalScrollBar()->value() : 0;
    SetDlgItemText(IDC_RECORD, HistoryDetails(*record));
    if (edit)
        edit->verticalScrollBar()->setValue(scrolled);
}

void CHistoryCallDlg::Follow(const HistoryChange& change)
{
    if (change.kind == HistoryChange::Kind::Cleared
        || (change.kind == HistoryChange::Kind::Deleted && change.id == id_))
        EndDialog(dlg::IDCANCEL);
    else if (change.kind == HistoryChange::Kind::Updated && change.id == id_)
        ShowRecord();
}

} // namespace pelmora

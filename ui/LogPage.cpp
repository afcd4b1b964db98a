#include "ui/LogPage.h"

#include "platform/framework/MessageBox.h"
#include "platform/framework/ScreenModel.h"
#include "ui/CallLog.h"
#include "ui/LogListCtrl.h"

#include <array>

namespace pelmora {

CLogPage::CLogPage(QWidget* parent)
    : COrientedPropertyPage(parent)
{
    SetControlFactory(IDC_LOG_LIST, [](QWidget* owner) { return new CLogListCtrl(owner); });
}

CLogListCtrl* CLogPage::LogList() const
{
    return Control<CLogListCtrl>(IDC_LOG_LIST);
}

bool CLogPage::OnInitDialog()
{
    // The list has no label on the page; its tab says what it is.
    if (CLogListCtrl* list = LogList())
        list->setAccessibleName(QStringLiteral("Call log"));
    for (int i = 0; i < kLogAgeChoices; ++i)
        ComboAddString(IDC_AGE, LogAgeChoiceText(i));
    return true;
}

void CLogPage::OnSize()
{
    COrientedPropertyPage::OnSize();
    // A phone's page is larger than the design: the list takes the rest of
    // it, with the margin it has on the left.
    CLogListCtrl* list = LogList();
    if (!list || !dlg::ScreenModel::Instance().IsPhone())
        return;
    const QRect at = list->geometry();
    list->setGeometry(at.x(), at.y(), std::max(at.width(), width() - 2 * at.x()),
        std::max(at.height(), height() - at.y() - at.x()));
}

bool CLogPage::OnCommand(int id)
{
    switch (id) {
    case IDC_CLEAR_ALL:
        if (dlg::MessageBox(this, u"Are you sure you want to clear all calls log?",
                u"Confirm clear", dlg::MessageButtons::YesNo)
            == dlg::IDYES)
            LogList()->ClearAll();
        return true;
    case CLogListCtrl::ID_DELETE_ENTRY:
        OnDeleteEntry();
        return true;
    default:
        return COrientedPropertyPage::OnCommand(id);
    }
}

std::optional<bool> CLogPage::OnUpdateCommand(int id)
{
    if (id == CLogListCtrl::ID_DELETE_ENTRY)
        return LogList() && LogList()->GetSelectionMark() >= 0;
    return std::nullopt;
}

void CLogPage::OnDeleteEntry()
{
    CLogListCtrl* list = LogList();
    const int mark = list ? list->GetSelectionMark() : -1;
    if (mark < 0)
        return;
    // Calls logged or aged out while the question is open move the rows: the
    // answer is about the row asked for, wherever it is now.
    const auto texts = [list](int row) {
        std::array<std::u16string, 5> all;
        for (int column = 0; column < static_cast<int>(all.size()); ++column)
            all[static_cast<size_t>(column)] = list->RowText(row, column);
        return all;
    };
    const auto asked = texts(mark);
    const std::optional<uint32_t> stamp = list->RowStamp(mark);
    if (dlg::MessageBox(this, u"Are you sure you want to delete this individual entry?",
            u"Confirm delete", dlg::MessageButtons::YesNo)
        != dlg::IDYES)
        return;
    for (int row = 0; row < list->RowCount(); ++row)
        if (texts(row) == asked && list->RowStamp(row) == stamp) {
            list->DeleteEntry(row);
            list->RemoveRow(row);
            return;
        }
}

void CLogPage::ApplySettings(const SettingsRecord& settings)
{
    ComboSetCurSel(IDC_AGE, settings.logMaxAgeIndex);
    CheckDlgButton(IDC_CLEAR_SESSION, settings.clearLogEachStart);
}

void CLogPage::CollectSettings(SettingsRecord& settings) const
{
    settings.logMaxAgeIndex = ComboGetCurSel(IDC_AGE);
    settings.clearLogEachStart = IsDlgButtonChecked(IDC_CLEAR_SESSION);
}

} // namespace pelmora

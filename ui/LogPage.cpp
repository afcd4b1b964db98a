#include "ui/LogPage.h"

#include "ui/CallLog.h"
#include "ui/LogListCtrl.h"

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
    for (int i = 0; i < kLogAgeChoices; ++i)
        ComboAddString(IDC_AGE, LogAgeChoiceText(i));
    return true;
}

} // namespace pelmora

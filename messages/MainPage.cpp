#include "messages/MainPage.h"

#include "ui/ShellHelpers.h"

namespace pelmora {

CMainPage::CMainPage(QWidget* parent)
    : COrientedPropertyPage(parent)
{
}

bool CMainPage::OnCommand(int id)
{
    if (id == IDC_HELP) {
        LaunchHelp(u"pelmora.htm", u"mainpage");
        return true;
    }
    return COrientedPropertyPage::OnCommand(id);
}

} // namespace pelmora

#include "ui/OrientedPropertyPage.h"

#include "platform/framework/ScreenModel.h"
#include "ui/Relayout.h"

namespace pelmora {

COrientedPropertyPage::COrientedPropertyPage(QWidget* parent)
    : CDialog(0, parent)
{
    // Commands of a page's buttons and menus reach the main window first.
    SetOffersCommandsToParentFirst(true);
}

bool COrientedPropertyPage::Create(int portraitTemplate, int landscapeTemplate, QWidget* parent)
{
    portrait_ = portraitTemplate;
    landscapeTemplate_ = landscapeTemplate;
    landscape_ = dlg::IsLandscape() ? 1 : 0;
    SetTemplateId(landscape_ ? landscapeTemplate : portraitTemplate);
    return CDialog::Create(parent);
}

void COrientedPropertyPage::OnSize()
{
    const uint8_t now = dlg::IsLandscape() ? 1 : 0;
    if (now == landscape_)
        return;
    landscape_ = now;
    RelayoutFromTemplate(*this, landscape_ ? landscapeTemplate_ : portrait_, true);
}

COrientedDialog::COrientedDialog(int portraitTemplate, int landscapeTemplate, QWidget* parent)
    : CDialog(portraitTemplate, parent)
    , helpId_(portraitTemplate)
    , landscapeTemplate_(landscapeTemplate)
{
    if (dlg::IsLandscape())
        SetTemplateId(landscapeTemplate);
}

void COrientedDialog::OnTurned()
{
    const int wanted = dlg::IsLandscape() ? landscapeTemplate_ : helpId_;
    if (wanted == TemplateId())
        return;
    SetTemplateId(wanted);
    RelayoutFromTemplate(*this, wanted, false);
}

} // namespace pelmora

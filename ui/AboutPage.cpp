#include "ui/AboutPage.h"

#include <QLabel>
#include <QPixmap>

namespace pelmora {

CAboutPage::CAboutPage(QWidget* parent)
    : COrientedPropertyPage(parent)
{
}

bool CAboutPage::OnInitDialog()
{
    FitIconToImage();
    ShowLineBackend();
    return true;
}

void CAboutPage::OnSize()
{
    COrientedPropertyPage::OnSize();
    // A relayout gives static texts their template text back.
    ShowLineBackend();
}

void CAboutPage::SetLineBackendName(std::u16string_view name)
{
    lineBackend_ = name;
    ShowLineBackend();
}

void CAboutPage::ShowLineBackend()
{
    SetDlgItemText(
        IDC_LINE_BACKEND, lineBackend_.empty() ? std::u16string() : u"Phone line: " + lineBackend_);
}

// A static icon takes the size of its icon, whatever its template box says;
// the relayout keeps that size when the page turns.
void CAboutPage::FitIconToImage()
{
    if (auto* icon = Control<QLabel>(IDC_ICON); icon && !icon->pixmap().isNull())
        icon->resize(icon->pixmap().deviceIndependentSize().toSize());
}

} // namespace pelmora

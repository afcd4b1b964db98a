#include "ui/AboutPage.h"
#include "platform/framework/PictureCtrl.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/ScreenModel.h"
#include "resources/Resources.h"
#include "settings/SettingsRecord.h"
#include "ui/AdvancedSettingsDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class AboutPageTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (dlg::IsLandscape())
            dlg::ScreenModel::Instance().Rotate();
    }
};

QRect Geometry(const dlg::CDialog& page, int id)
{
    return page.GetDlgItem(id)->geometry();
}

} // namespace

TEST_F(AboutPageTest, PortraitShowsLogoIconAndVersion)
{
    CAboutPage page;
    ASSERT_TRUE(page.Create(IDD_ABOUT, IDD_ABOUT_L, nullptr));
    EXPECT_EQ(page.TemplateId(), 131);
    EXPECT_EQ(page.GetDlgItemText(CAboutPage::IDC_VERSION), u"Pelmora 1.5");
    EXPECT_EQ(Geometry(page, CAboutPage::IDC_VERSION), page.MapDialogRect({43, 45, 68, 9}));
    auto* logo = page.Control<dlg::CPictureCtrl>(CAboutPage::IDC_LOGO);
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->Image(), 139);
    EXPECT_EQ(Geometry(page, CAboutPage::IDC_LOGO), page.MapDialogRect({14, 7, 109, 32}));
    auto* icon = page.Control<dlg::CPictureCtrl>(CAboutPage::IDC_ICON);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->Image(), 128);
    EXPECT_EQ(icon->geometry(), page.MapDialogRect({9, 41, 20, 20}))
        << "pictures are drawn into their box at the screen's density";
    EXPECT_GE(icon->y(), logo->geometry().bottom()) << "the icon sits under the logo";
}

TEST_F(AboutPageTest, LandscapePutsTheIconLeftOfTheLogoAndTheNameBeneathIt)
{
    CAboutPage page;
    ASSERT_TRUE(page.Create(IDD_ABOUT, IDD_ABOUT_L, nullptr));
    dlg::ScreenModel::Instance().Rotate();
    page.NotifySizeChange();
    EXPECT_TRUE(page.IsLandscapeLayout());
    const QRect icon = Geometry(page, CAboutPage::IDC_ICON);
    const QRect logo = Geometry(page, CAboutPage::IDC_LOGO);
    const QRect name = Geometry(page, CAboutPage::IDC_VERSION);
    EXPECT_EQ(icon.topLeft(), page.MapDialogRect({18, 7, 20, 20}).topLeft());
    EXPECT_LT(icon.right(), logo.left());
    EXPECT_GT(name.top(), icon.bottom());
    EXPECT_LT(name.left(), icon.right());
    EXPECT_EQ(name, page.MapDialogRect({17, 37, 68, 9}));
    EXPECT_EQ(page.size(), page.MapDialogRect({0, 0, 177, 89}).size());
}

TEST_F(AboutPageTest, LineBackendNameSurvivesRotation)
{
    CAboutPage page;
    ASSERT_TRUE(page.Create(IDD_ABOUT, IDD_ABOUT_L, nullptr));
    EXPECT_EQ(page.GetDlgItemText(CAboutPage::IDC_LINE_BACKEND), u"");
    page.SetLineBackendName(u"simulated");
    EXPECT_EQ(page.GetDlgItemText(CAboutPage::IDC_LINE_BACKEND), u"Phone line: simulated");
    dlg::ScreenModel::Instance().Rotate();
    page.NotifySizeChange();
    EXPECT_EQ(page.GetDlgItemText(CAboutPage::IDC_LINE_BACKEND), u"Phone line: simulated");
    page.SetLineBackendName(u"");
    EXPECT_EQ(page.GetDlgItemText(CAboutPage::IDC_LINE_BACKEND), u"");
}

TEST(ProgramArt, IconAndLogoAreDrawnSharp)
{
    const QPixmap icon = dlg::LoadImageResource(IDR_MAINFRAME);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.deviceIndependentSize().toSize(), QSize(32, 32));
    const QImage image = icon.toImage();
    // The blue tile fills the middle, the corners stay clear.
    EXPECT_EQ(
        image.pixelColor(image.width() / 2, image.height() - 4).rgb(), QColor(0x1e6fc8).rgb());
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_FALSE(dlg::LoadImageResource(IDB_LOGO).isNull());
}

// Every text of these templates fits its box with the dialog font.
TEST(AdvancedAboutTemplates, TextsFitTheirBoxes)
{
    SettingsRecord settings;
    CAdvancedSettingsDlg dialog(settings, nullptr, nullptr);
    ASSERT_TRUE(dialog.Create(nullptr));
    CAboutPage portrait;
    ASSERT_TRUE(portrait.Create(IDD_ABOUT, IDD_ABOUT_L, nullptr));
    portrait.SetLineBackendName(u"ModemManager");
    dlg::ScreenModel::Instance().Rotate();
    CAboutPage landscape;
    const bool built = landscape.Create(IDD_ABOUT, IDD_ABOUT_L, nullptr);
    dlg::ScreenModel::Instance().Rotate();
    ASSERT_TRUE(built);
    ASSERT_EQ(landscape.TemplateId(), IDD_ABOUT_L);
    landscape.SetLineBackendName(u"ModemManager");
    for (const dlg::CDialog* window :
        {static_cast<const dlg::CDialog*>(&dialog), static_cast<const dlg::CDialog*>(&portrait),
            static_cast<const dlg::CDialog*>(&landscape)}) {
        for (const auto& [id, control] : window->Controls()) {
            const QRect box = control->geometry();
            const QFontMetrics metrics(control->font());
            if (auto* check = qobject_cast<QCheckBox*>(control)) {
                EXPECT_LE(check->sizeHint().width(), box.width()) << id;
                EXPECT_LE(metrics.height(), box.height()) << id;
            } else if (auto* button = qobject_cast<QPushButton*>(control)) {
                EXPECT_LT(metrics.horizontalAdvance(button->text()), box.width() - 8) << id;
                EXPECT_LE(metrics.height(), box.height()) << id;
            } else if (auto* label = qobject_cast<QLabel*>(control);
                       label && label->pixmap().isNull()) {
                const QRect needed = metrics.boundingRect(
                    QRect(0, 0, box.width(), 1000), Qt::TextWordWrap, label->text());
                // The wrapped box's height runs a pixel over whole lines.
                const int lines = needed.height() / metrics.lineSpacing();
                EXPECT_LE(lines * metrics.lineSpacing(), box.height())
                    << id << " " << label->text().toStdString();
                EXPECT_LE(needed.width(), box.width()) << id << " " << label->text().toStdString();
            }
        }
    }
}

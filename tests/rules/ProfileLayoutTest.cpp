#include "rules/ProfileCustomMsgsDlg.h"
#include "rules/ProfileEntriesListCtrl.h"
#include "rules/SelectContactMsgDlg.h"
#include "rules/SelectGroupMsgDlg.h"
#include "tests/rules/ProfileFixture.h"
#include "ui/PageTabCtrl.h"
#include "ui/TouchRowDelegate.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace pelmora;
using test::ModalScript;
using test::SampleCard;

namespace {

// The Profile tab and its dialogs as the user sees them on the phone's
// screen, in both orientations: inside the screen, nothing overlapping,
// every text whole and every touch target about 7 mm high. With
// PELMORA_SCREENSHOT_DIR set, each layout is also written there as a PNG.
class ProfileLayoutTest : public test::ProfileTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        if (GetParam())
            dlg::ScreenModel::Instance().Rotate();
        const std::pair<const char16_t*, const char16_t*> names[] = {{u"Alice", u"Brown"},
            {u"Rajesh", u"Khanna"}, {u"Carmen", u"Diaz"}, {u"Oliver", u"Hughes"},
            {u"Grace", u"Okafor"}, {u"Tom", u"Walsh"}, {u"Mia", u"Schneider"}};
        uint32_t oid = 1;
        for (const auto& [first, last] : names)
            book.Add(SampleCard(oid++, first, last));
        GroupRecord* family = MakeGroup(u"Family", {1, 3});
        GroupRecord* club = MakeGroup(u"Football club", {2});
        ProfileRecord* home = AddProfile(u"Home", 1);
        AddProfile(u"Working hours", 2);
        AddGroupEntry(*home, family->id, 2);
        AddContactEntry(*home, 4, 3);
        AddGroupEntry(*home, club->id, 0);
        AddContactEntry(*home, 7, 1);
    }

    void CheckLayout(dlg::CDialog& shown, const QString& shot, QWidget* grabbed = nullptr)
    {
        shown.show();
        QApplication::processEvents();
        const QSize screen = dlg::ScreenModel::Instance().Size();
        EXPECT_LE(shown.width(), screen.width());
        EXPECT_LE(shown.height(), screen.height());
        const int touch = CTouchRowDelegate::TouchHeight(&shown) - 1;
        std::vector<std::pair<int, QRect>> placed;
        for (const auto& [id, control] : shown.Controls()) {
            if (control->isHidden())
                continue;
            const QRect box = control->geometry();
            EXPECT_TRUE(shown.rect().contains(box)) << id;
            if (!qobject_cast<QGroupBox*>(control)) {
                for (const auto& [otherId, other] : placed)
                    EXPECT_FALSE(box.intersects(other)) << id << " overlaps " << otherId;
                placed.emplace_back(id, box);
            }
            const QFontMetrics metrics(control->font());
            if (auto* button = qobject_cast<QPushButton*>(control)) {
                EXPECT_GE(box.height(), touch) << id;
                const QString text = button->text().remove(u'&');
                EXPECT_LE(metrics.horizontalAdvance(text) + 12, box.width()) << id;
            } else if (qobject_cast<QLineEdit*>(control)) {
                EXPECT_GE(box.height(), touch) << id;
            } else if (auto* label = qobject_cast<QLabel*>(control);
                       label && label->pixmap().isNull() && !label->text().isEmpty()) {
                EXPECT_LE(metrics.horizontalAdvance(label->text()), box.width()) << id;
                EXPECT_LE(metrics.height(), box.height()) << id;
            } else if (auto* list = qobject_cast<QTreeWidget*>(control)) {
                ASSERT_GT(list->topLevelItemCount(), 0) << id;
                EXPECT_GE(list->visualItemRect(list->topLevelItem(0)).height(), touch) << id;
                EXPECT_GE(list->viewport()->height(), 4 * touch) << id << ": room for rows";
            }
        }
        if (const QByteArray dir = qgetenv("PELMORA_SCREENSHOT_DIR"); !dir.isEmpty()) {
            const QString name = shot
                + (GetParam() ? QStringLiteral("-landscape.png") : QStringLiteral("-portrait.png"));
            QWidget* target = grabbed ? grabbed : &shown;
            EXPECT_TRUE(target->grab().save(QDir(QString::fromUtf8(dir)).filePath(name)));
        }
    }
};

} // namespace

TEST_P(ProfileLayoutTest, ProfilePageFitsTheScreen)
{
    Start();
    window->SelectPage(1);
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(Page().TemplateId(), GetParam() ? 162 : 161);
    EXPECT_TRUE(Page().isVisible());
    CheckLayout(Page(), QStringLiteral("profile-page"), window.get());
    EXPECT_TRUE(window->rect().contains(Page().geometry()));
}

TEST_P(ProfileLayoutTest, CustomMessagesDialogFitsTheScreen)
{
    ModalScript script;
    script.Then([this](dlg::CDialog& shown) {
        EXPECT_EQ(static_cast<CProfileCustomMsgsDlg&>(shown).EntryList()->RowCount(), 4);
        CheckLayout(shown, QStringLiteral("profile-custom"));
        shown.RouteCommand(dlg::IDOK);
    });
    CProfileCustomMsgsDlg dialog(*Profiles().front(), nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    EXPECT_EQ(dialog.TemplateId(), GetParam() ? 164 : 163);
}

TEST_P(ProfileLayoutTest, GroupPickerFitsTheScreen)
{
    ModalScript script;
    script.Then([this](dlg::CDialog& shown) {
        shown.ComboSetCurSel(CSelectGroupMsgDlg::IDC_GROUP, 1);
        shown.ComboSetCurSel(CSelectGroupMsgDlg::IDC_MESSAGE, 0);
        CheckLayout(shown, QStringLiteral("select-group-message"));
        shown.RouteCommand(dlg::IDCANCEL);
    });
    CSelectGroupMsgDlg dialog(nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDCANCEL);
    EXPECT_EQ(dialog.TemplateId(), 165);
}

TEST_P(ProfileLayoutTest, ContactPickerFitsTheScreen)
{
    ModalScript script;
    script.Then([this](dlg::CDialog& shown) {
        shown.SetDlgItemText(CSelectContactMsgDlg::IDC_FIND, u"Gr");
        shown.ComboSetCurSel(CSelectContactMsgDlg::IDC_MESSAGE, 1);
        CheckLayout(shown, QStringLiteral("select-contact-message"));
        shown.RouteCommand(dlg::IDCANCEL);
    });
    CSelectContactMsgDlg dialog(nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDCANCEL);
    EXPECT_EQ(dialog.TemplateId(), GetParam() ? 169 : 166);
}

INSTANTIATE_TEST_SUITE_P(Orientations, ProfileLayoutTest, ::testing::Values(false, true),
    [](const ::testing::TestParamInfo<bool>& info) {
        return info.param ? std::string("Landscape") : std::string("Portrait");
    });

#include "rules/GroupDlg.h"
#include "rules/GroupsDlg.h"
#include "rules/GroupsListCtrl.h"
#include "rules/SelectContactsListCtrl.h"
#include "tests/rules/GroupDialogsFixture.h"
#include "ui/TouchRowDelegate.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace pelmora;
using test::ModalScript;
using test::SampleCard;

namespace {

// Both dialogs as the user sees them on the phone's screen, in both
// orientations: inside the screen, nothing overlapping, every text whole and
// every touch target about 7 mm high. With PELMORA_SCREENSHOT_DIR set, each
// layout is also written there as a PNG to look at.
class GroupDialogsLayoutTest : public test::GroupDialogsTest,
                               public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        GroupDialogsTest::SetUp();
        if (GetParam())
            dlg::ScreenModel::Instance().Rotate();
        const std::tuple<const char16_t*, const char16_t*, const char16_t*> names[] = {
            {u"", u"Alice", u"Brown"}, {u"Dr.", u"Rajesh", u"Khanna"}, {u"", u"Carmen", u"Diaz"},
            {u"", u"Oliver", u"Hughes"}, {u"Mrs.", u"Grace", u"Okafor"}, {u"", u"Tom", u"Walsh"},
            {u"", u"Mia", u"Schneider"}, {u"", u"Lucas", u"Martin"}, {u"", u"Yuki", u"Tanaka"},
            {u"", u"Sofia", u"Rossi"}, {u"", u"Ben", u"Carter"}, {u"", u"Emma", u"Lindqvist"}};
        uint32_t oid = 1;
        for (const auto& [title, first, last] : names)
            book.Add(SampleCard(oid++, first, last, title));
        for (const char16_t* name :
            {u"Family", u"Work", u"Football club", u"Neighbours", u"Book group"})
            MakeGroup(name, {2, 5, 9});
    }

    void CheckLayout(dlg::CDialog& shown, const QString& shot)
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
            for (const auto& [otherId, other] : placed)
                EXPECT_FALSE(box.intersects(other)) << id << " overlaps " << otherId;
            placed.emplace_back(id, box);
            const QFontMetrics metrics(control->font());
            if (auto* button = qobject_cast<QPushButton*>(control)) {
                EXPECT_GE(box.height(), touch) << id;
                const QString text = button->text().remove(u'&');
                EXPECT_LE(metrics.horizontalAdvance(text) + 12, box.width()) << id;
            } else if (qobject_cast<QLineEdit*>(control)) {
                EXPECT_GE(box.height(), touch) << id;
            } else if (auto* label = qobject_cast<QLabel*>(control)) {
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
            EXPECT_TRUE(shown.grab().save(QDir(QString::fromUtf8(dir)).filePath(name)));
        }
    }
};

} // namespace

TEST_P(GroupDialogsLayoutTest, GroupsDialogFitsTheScreen)
{
    ModalScript script;
    script.Then([this](dlg::CDialog& shown) {
        CheckLayout(shown, QStringLiteral("groups"));
        static_cast<CGroupsDlg&>(shown).GroupList()->setCurrentItem(
            static_cast<CGroupsDlg&>(shown).GroupList()->topLevelItem(1));
        shown.RouteCommand(dlg::IDOK);
    });
    CGroupsDlg dialog(nullptr, nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDOK);
    EXPECT_EQ(dialog.TemplateId(), GetParam() ? 168 : 159);
}

TEST_P(GroupDialogsLayoutTest, GroupDialogFitsTheScreen)
{
    ModalScript script;
    script.Then([this](dlg::CDialog& shown) {
        CheckLayout(shown, QStringLiteral("group"));
        shown.RouteCommand(dlg::IDCANCEL);
    });
    CGroupDlg dialog(*Groups().front(), nullptr);
    EXPECT_EQ(dialog.DoModal(), dlg::IDCANCEL);
    EXPECT_EQ(dialog.TemplateId(), GetParam() ? 167 : 160);
}

INSTANTIATE_TEST_SUITE_P(Orientations, GroupDialogsLayoutTest, ::testing::Values(false, true),
    [](const ::testing::TestParamInfo<bool>& info) {
        return info.param ? std::string("Landscape") : std::string("Portrait");
    });

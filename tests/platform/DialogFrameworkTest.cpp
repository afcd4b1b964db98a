#include "platform/framework/Dialog.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/PictureCtrl.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/TabCtrl.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::dlg;

namespace {

constexpr int kPageTemplate = 9001;
constexpr int kOwnerTemplate = 9002;

void RegisterTestTemplates()
{
    RegisterTemplate({kPageTemplate, u"Page", {0, 0, 160, 120},
        {
            {1000, ControlClass::PushButton, u"&Go", {5, 5, 50, 14}},
            {1001, ControlClass::AutoCheckBox, u"Check", {5, 22, 80, 10}},
            {1002, ControlClass::RadioButton, u"One", {5, 34, 40, 10}, kDefaultStyle | Group},
            {1003, ControlClass::RadioButton, u"Two", {50, 34, 40, 10}},
            {1004, ControlClass::Edit, u"", {5, 48, 100, 12}, kDefaultStyle | Number},
            {1005, ControlClass::Edit, u"", {5, 62, 100, 30}, kDefaultStyle | Multiline},
            {1006, ControlClass::ComboDropList, u"", {110, 5, 45, 40}},
            {1007, ControlClass::Static, u"Hidden", {110, 50, 45, 8}, 0},
            {1008, ControlClass::Bitmap, u"", {140, 100, 16, 16}, kDefaultStyle | Notify, 141},
            {1009, ControlClass::ListView, u"", {5, 95, 130, 20}, kDefaultStyle, 0,
                {{u"Number", 40}, {u"Name", 60}}},
            {1010, ControlClass::PushButton, u"Own", {60, 5, 40, 14}},
            {1011, ControlClass::ComboDropList, u"", {110, 62, 45, 60}, kDefaultStyle, 0, {},
                {u"none", u"0", u"1"}},
            {1012, ControlClass::ListBox, u"", {110, 75, 45, 20}, kDefaultStyle, 0, {},
                {u"[TITLE]", u"[SUFFIX]"}},
            {1013, ControlClass::Bitmap, u"", {140, 85, 11, 10}, kDefaultStyle, 141},
        }});
    RegisterTemplate({kOwnerTemplate, u"Owner", {0, 0, 200, 200}, {}});
}

class FrameworkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterTestTemplates(); }
};

// Records the order in which commands reached which window.
std::vector<std::string> g_route;

class OwnerDialog final : public CDialog {
public:
    OwnerDialog()
        : CDialog(kOwnerTemplate)
    {
    }
    bool OnCommand(int id) override
    {
        g_route.push_back("owner:" + std::to_string(id));
        return id == 1000;
    }
};

class PageDialog final : public CDialog {
public:
    PageDialog()
        : CDialog(kPageTemplate)
    {
        SetOffersCommandsToParentFirst(true);
    }
    bool OnCommand(int id) override
    {
        g_route.push_back("page:" + std::to_string(id));
        return true;
    }
    int inits = 0;
    bool OnInitDialog() override
    {
        ++inits;
        return true;
    }
};

} // namespace

TEST_F(FrameworkTest, DialogUnitsScaleByFontBaseUnits)
{
    DialogBaseUnits units {6, 13};
    // x * 6 / 4 and y * 13 / 8, rounded; width and height from the far edges.
    EXPECT_EQ(units.Map({10, 20, 30, 14}), QRect(15, 33, 45, 22));
    EXPECT_EQ(units.Map({0, 0, 139, 103}), QRect(0, 0, 209, 167));
}

TEST_F(FrameworkTest, BaseUnitsComeFromTheDialogFont)
{
    const QFontMetrics metrics(DialogFont());
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const DialogBaseUnits units = DialogBaseUnits::FromFont(DialogFont());
    EXPECT_EQ(units.baseX, (letters / 26 + 1) / 2);
    EXPECT_EQ(units.baseY, metrics.height());
}

TEST_F(FrameworkTest, TemplateBuildsControlsAtTheirPixelRectangles)
{
    PageDialog page;
    ASSERT_TRUE(page.Create(nullptr));
    EXPECT_EQ(page.inits, 1);
    const DialogBaseUnits units = DialogBaseUnits::FromFont(DialogFont());
    const DialogTemplate* tmpl = FindDialogTemplate(kPageTemplate);
    ASSERT_NE(tmpl, nullptr);
    for (const DialogItem& item : tmpl->items) {
        QWidget* control = page.GetDlgItem(item.id);
        ASSERT_NE(control, nullptr) << item.id;
        QRect expected(units.X(item.rect.x), units.Y(item.rect.y),
            units.X(item.rect.x + item.rect.cx) - units.X(item.rect.x),
            units.Y(item.rect.y + item.rect.cy) - units.Y(item.rect.y));
        // A closed drop-down list is as high as its text, not its open list.
        if (item.cls == ControlClass::ComboDropList)
            expected.setHeight(control->sizeHint().height());
        EXPECT_EQ(control->geometry(), expected) << item.id;
        EXPECT_EQ(page.IsDlgItemVisible(item.id), item.IsVisible()) << item.id;
    }
    EXPECT_EQ(page.size(), units.Map({0, 0, 160, 120}).size());
    EXPECT_NE(page.Control<QPushButton>(1000), nullptr);
    EXPECT_NE(page.Control<QCheckBox>(1001), nullptr);
    EXPECT_NE(page.Control<QRadioButton>(1003), nullptr);
    EXPECT_NE(page.Control<QLineEdit>(1004), nullptr);
    EXPECT_NE(page.Control<QPlainTextEdit>(1005), nullptr);
    EXPECT_NE(page.Control<QComboBox>(1006), nullptr);
    EXPECT_NE(page.Control<CPictureCtrl>(1008), nullptr);
    auto* list = page.Control<QTreeWidget>(1009);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->columnCount(), 2);
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("Name"));
    EXPECT_EQ(page.GetDlgItem(4242), nullptr);
}

TEST_F(FrameworkTest, ControlsAreReadAndWrittenLikeThePlatformControls)
{
    PageDialog page;
    ASSERT_TRUE(page.Create(nullptr));

    EXPECT_EQ(page.GetRadioValue(1002), -1);
    page.SetRadioValue(1002, 1);
    EXPECT_EQ(page.GetRadioValue(1002), 1);
    EXPECT_FALSE(page.IsDlgButtonChecked(1002));

    page.ComboAddString(1006, u"a");
    page.ComboAddString(1006, u"b");
    EXPECT_EQ(page.ComboGetCurSel(1006), -1) << "adding items selects nothing";
    page.ComboSetCurSel(1006, 1);
    page.ComboSetItemData(1006, 1, 0xBEEF);
    EXPECT_EQ(page.ComboGetItemData(1006, 1), 0xBEEFu);
    page.ComboSetCurSel(1006, 7);
    EXPECT_EQ(page.ComboGetCurSel(1006), -1) << "out of range leaves no selection";

    page.SetDlgItemText(1005, u"line one\r\nline two");
    EXPECT_EQ(
        page.Control<QPlainTextEdit>(1005)->toPlainText(), QStringLiteral("line one\nline two"));
    EXPECT_EQ(page.GetDlgItemText(1005), u"line one\r\nline two");

    page.SetDlgItemReadOnly(1004, true);
    page.EnableDlgItem(1004, false);
    EXPECT_TRUE(page.IsDlgItemReadOnly(1004));
    EXPECT_FALSE(page.IsDlgItemEnabled(1004));
    QTest::keyClicks(page.Control<QLineEdit>(1004), QStringLiteral("x"));
    EXPECT_EQ(page.GetDlgItemText(1004), u"");
}

TEST_F(FrameworkTest, DigitsOnlyEditRefusesLetters)
{
    PageDialog page;
    ASSERT_TRUE(page.Create(nullptr));
    QTest::keyClicks(page.Control<QLineEdit>(1004), QStringLiteral("4a2"));
    EXPECT_EQ(page.GetDlgItemText(1004), u"42");
}

TEST_F(FrameworkTest, CommandsReachTheParentBeforeThePage)
{
    OwnerDialog owner;
    ASSERT_TRUE(owner.Create(nullptr));
    auto* page = new PageDialog;
    ASSERT_TRUE(page->Create(&owner));

    g_route.clear();
    QTest::mouseClick(page->Control<QPushButton>(1000), Qt::LeftButton);
    EXPECT_EQ(g_route, (std::vector<std::string> {"owner:1000"}));

    g_route.clear();
    QTest::mouseClick(page->Control<QPushButton>(1010), Qt::LeftButton);
    EXPECT_EQ(g_route, (std::vector<std::string> {"owner:1010", "page:1010"}));

    g_route.clear();
    page->show();
    QTest::mouseClick(page->GetDlgItem(1008), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(g_route, (std::vector<std::string> {"owner:1008", "page:1008"}));
}

TEST_F(FrameworkTest, MessageBoxSeamAnswersYesNo)
{
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(IDYES);
    EXPECT_EQ(MessageBox(nullptr, u"Sure?", u"Confirm", MessageButtons::YesNo), IDYES);
    EXPECT_EQ(MessageBox(nullptr, u"Again?", u"Confirm", MessageButtons::YesNo), IDNO);
    EXPECT_EQ(MessageBox(nullptr, u"Done"), IDOK);
    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Sure?");
    EXPECT_EQ(boxes.Shown()[2].title, u"Pelmora") << "no title means the application title";
    EXPECT_EQ(boxes.Shown()[2].buttons, MessageButtons::Ok);
}

TEST_F(FrameworkTest, ModalSeamRunsWithoutANestedLoop)
{
    PageDialog dialog;
    SetModalHandler([](CDialog& shown) {
        shown.SetDlgItemText(1004, u"12");
        shown.EndDialog(IDOK);
        return IDOK;
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    SetModalHandler(nullptr);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(dialog.GetDlgItemText(1004), u"12");
}

TEST_F(FrameworkTest, OneShotTimersByIdentifier)
{
    struct TimerDialog final : CDialog {
        TimerDialog()
            : CDialog(kOwnerTemplate)
        {
        }
        std::vector<int> fired;
        void OnTimer(int id) override { fired.push_back(id); }
    } dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    dialog.SetTimer(1, 5);
    dialog.SetTimer(2, 60000);
    EXPECT_TRUE(dialog.IsTimerActive(1));
    ASSERT_TRUE(test::WaitUntil([&] { return !dialog.fired.empty(); }));
    QTest::qWait(30);
    EXPECT_EQ(dialog.fired, std::vector<int> {1}) << "fired once";
    EXPECT_FALSE(dialog.IsTimerActive(1));
    dialog.KillTimer(2);
    EXPECT_FALSE(dialog.IsTimerActive(2));
}

TEST_F(FrameworkTest, TabControlConvertsToItsDisplayArea)
{
    CTabCtrl tabs;
    tabs.resize(240, 300);
    EXPECT_EQ(tabs.InsertItem(0, u"Main"), 0);
    EXPECT_EQ(tabs.InsertItem(1, u"Log"), 1);
    EXPECT_EQ(tabs.InsertItem(-1, u"Bad"), -1);
    QRect area = tabs.rect();
    tabs.AdjustRect(false, area);
    EXPECT_LT(area.height(), 300);
    EXPECT_EQ(area.bottom() + 1, tabs.GetItemRect(0).top()) << "tabs sit at the bottom";
    tabs.AdjustRect(true, area);
    EXPECT_EQ(area, tabs.rect());
}

namespace {

// Records what the controls of a page report besides commands.
class NotifyingPage final : public CDialog {
public:
    NotifyingPage()
        : CDialog(kPageTemplate)
    {
    }
    std::vector<std::pair<int, ControlNotification>> notes;

protected:
    void OnNotify(int id, ControlNotification code) override { notes.emplace_back(id, code); }
};

} // namespace

TEST_F(FrameworkTest, TemplateItemsFillListsInOrderWithoutASelection)
{
    PageDialog page;
    ASSERT_TRUE(page.Create(nullptr));
    ASSERT_EQ(page.ComboGetCount(1011), 3);
    EXPECT_EQ(page.ComboGetItemText(1011, 0), u"none");
    EXPECT_EQ(page.ComboGetItemText(1011, 2), u"1");
    EXPECT_EQ(page.ComboGetCurSel(1011), -1);
    auto* list = page.Control<QListWidget>(1012);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("[SUFFIX]"));
    EXPECT_EQ(page.ListBoxGetCurSel(1012), -1);
}

TEST_F(FrameworkTest, ControlsReportPicksCloseUpsAndTextChanges)
{
    NotifyingPage page;
    ASSERT_TRUE(page.Create(nullptr));
    page.show();
    auto* combo = page.Control<QComboBox>(1011);
    ASSERT_NE(combo, nullptr);

    page.ComboSetCurSel(1011, 1);
    EXPECT_TRUE(page.notes.empty()) << "a selection made by the program is not reported";

    QTest::keyClick(combo, Qt::Key_Down);
    using Note = std::pair<int, ControlNotification>;
    EXPECT_EQ(page.notes, (std::vector<Note> {{1011, ControlNotification::SelChange}}));
    EXPECT_EQ(page.ComboGetCurSel(1011), 2);

    // Opened and closed without a pick: one close-up, once the list is gone.
    page.notes.clear();
    combo->showPopup();
    combo->hidePopup();
    QApplication::processEvents();
    EXPECT_EQ(page.notes, (std::vector<Note> {{1011, ControlNotification::CloseUp}}));

    // A pick from the open list is one selection change, not a close-up too.
    page.notes.clear();
    combo->showPopup();
    QTest::keyClick(combo->view(), Qt::Key_Up);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(page.notes, (std::vector<Note> {{1011, ControlNotification::SelChange}}));
    EXPECT_EQ(page.ComboGetCurSel(1011), 1);

    page.notes.clear();
    QTest::keyClicks(page.Control<QLineEdit>(1004), QStringLiteral("7"));
    page.SetDlgItemText(1005, u"set");
    EXPECT_EQ(page.notes,
        (std::vector<Note> {
            {1004, ControlNotification::Change}, {1005, ControlNotification::Change}}));
}

TEST_F(FrameworkTest, NumberFieldsReadThePlatformsWay)
{
    PageDialog page;
    ASSERT_TRUE(page.Create(nullptr));
    auto* edit = page.Control<QLineEdit>(1004);
    edit->setValidator(nullptr); // the field as a program may fill it
    struct Row {
        const char16_t* text;
        int value;
        bool translated;
    };
    const Row rows[] = {
        {u"20", 20, true},
        {u"  -5 ", -5, true},
        {u"", 0, false},
        {u"-", 0, false},
        {u"12a", 0, false},
        {u"2147483647", 2147483647, true},
        {u"-2147483648", -2147483647 - 1, true},
        {u"2147483648", 0, false},
        {u"99999999999999999999", 0, false},
    };
    for (const Row& row : rows) {
        page.SetDlgItemText(1004, row.text);
        bool translated = !row.translated;
        EXPECT_EQ(page.GetDlgItemInt(1004, &translated), row.value)
            << QString::fromStdU16String(row.text).toStdString();
        EXPECT_EQ(translated, row.translated) << QString::fromStdU16String(row.text).toStdString();
    }
    page.SetDlgItemText(1004, u"-1");
    EXPECT_EQ(page.GetDlgItemInt(1004, nullptr, false), 0) << "unsigned refuses a sign";
    page.SetDlgItemInt(1004, -42);
    EXPECT_EQ(page.GetDlgItemText(1004), u"-42");
}

TEST_F(FrameworkTest, PicturesAreDrawnSharpAtTheScreensDensity)
{
    const QPixmap help = LoadImageResource(141, QSize(16, 14), 2.0);
    EXPECT_EQ(help.size(), QSize(32, 28)) << "twice the pixels on a double-density screen";
    EXPECT_EQ(help.devicePixelRatio(), 2.0);
    const QImage image = help.toImage();
    EXPECT_GT(qAlpha(image.pixel(16, 14)), 200) << "the centre is painted";
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "a round picture leaves the corners clear";
    EXPECT_TRUE(LoadImageResource(9999).isNull());
    QImage none(4, 4, QImage::Format_ARGB32);
    QPainter painter(&none);
    EXPECT_FALSE(PaintImageResource(9999, painter, QRectF(0, 0, 4, 4)));
}

TEST_F(FrameworkTest, HelpPictureFitsItsBoxWithoutClipping)
{
    PageDialog page;
    ASSERT_TRUE(page.Create(nullptr));
    QWidget* picture = page.GetDlgItem(1013); // 11 x 10 dialog units
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), page.MapDialogRect({140, 85, 11, 10}).size());
    QImage image(picture->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2.0);
    image.fill(Qt::transparent);
    picture->render(&image, QPoint(), QRegion(), QWidget::DrawChildren); // no background
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "something is drawn";
    // The disc is whole: as wide as high, and as large as the box allows.
    EXPECT_LE(std::abs((right - left) - (bottom - top)), 1);
    EXPECT_GE(std::max(right - left, bottom - top) + 3, std::min(image.width(), image.height()));
}

TEST_F(FrameworkTest, TheKeyboardReachesAndPressesButtonsAndPictures)
{
    OwnerDialog owner;
    ASSERT_TRUE(owner.Create(nullptr));
    auto* page = new PageDialog;
    ASSERT_TRUE(page->Create(&owner));
    owner.show();
    // Whether Tab stops at the control, and where Enter on it is routed.
    struct Row {
        int id;
        bool tabStop;
        std::vector<std::string> enter;
    };
    for (const Row& row :
        {Row {1000, true, {"owner:1000"}}, Row {1010, true, {"owner:1010", "page:1010"}},
            Row {1008, true, {"owner:1008", "page:1008"}}, Row {1013, false, {}}}) {
        SCOPED_TRACE(row.id);
        QWidget* control = page->GetDlgItem(row.id);
        EXPECT_EQ((control->focusPolicy() & Qt::TabFocus) != 0, row.tabStop);
        if (!row.tabStop)
            continue;
        control->setFocus();
        g_route.clear();
        QTest::keyClick(control, Qt::Key_Return);
        EXPECT_EQ(g_route, row.enter);
    }
    // Tab leaves a multi-line edit instead of typing a tab into it.
    auto* edit = page->Control<QPlainTextEdit>(1005);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(edit->toPlainText(), QString());
    EXPECT_NE(owner.focusWidget(), edit);
}

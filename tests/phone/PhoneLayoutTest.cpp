#include "history/HistoryCallDlg.h"
#include "history/HistoryDlg.h"
#include "history/HistoryText.h"
#include "platform/SimulatedClock.h"
#include "platform/framework/PictureCtrl.h"
#include "platform/framework/ScreenModel.h"
#include "platform/framework/TouchStyle.h"
#include "resources/Resources.h"
#include "schedule/TimePicker.h"
#include "tests/LogicTestSupport.h"
#include "tests/app/MonitoringWindowFixture.h"
#include "ui/LogListCtrl.h"
#include "ui/LogPage.h"
#include "ui/MultiWnd.h"
#include "ui/OrientedPropertyPage.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <cmath>
#include <map>

// Every page and dialog as a phone shows it, on the screen the offscreen
// platform was given (see CMakeLists.txt): the design fills the screen's
// width (portrait) or height (landscape), nothing lies outside the screen,
// no text is cut, no controls overlap, and what a finger taps is at least
// 5 mm high, the platform's own parts 7 mm. With PELMORA_SCREENSHOT_DIR set
// each layout is left there as a PNG. The smallest hit height of each kind
// of control is printed at the end.

using namespace pelmora;
using namespace pelmora::dlg;

namespace {

const ScreenModel& Screen()
{
    return ScreenModel::Instance();
}

double Mm(int pixels)
{
    return pixels / Screen().PixelsPerMillimetre();
}

// The smallest hit height seen of each kind of control.
std::map<std::string, int>& Smallest()
{
    static std::map<std::string, int> smallest;
    return smallest;
}

void Record(const std::string& kind, int height)
{
    auto [at, added] = Smallest().emplace(kind, height);
    if (!added)
        at->second = std::min(at->second, height);
}

QString ScreenName()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize device = screen->geometry().size() * screen->devicePixelRatio();
    return QStringLiteral("%1x%2-%3")
        .arg(std::min(device.width(), device.height()))
        .arg(std::max(device.width(), device.height()))
        .arg(IsLandscape() ? QStringLiteral("landscape") : QStringLiteral("portrait"));
}

void Shoot(QWidget& widget, const QString& name)
{
    const QByteArray dir = qgetenv("PELMORA_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    const QString file = ScreenName() + u'-' + name + QStringLiteral(".png");
    EXPECT_TRUE(widget.grab().save(QDir(QString::fromUtf8(dir)).filePath(file)));
}

QString Plain(QString text)
{
    return text.remove(u'&');
}

// What a control's text needs beyond what it has, or nothing.
std::optional<QSize> CutText(QWidget* control)
{
    const QFontMetrics metrics(control->font());
    const int line = static_cast<int>(std::ceil(QFontMetricsF(control->font()).height()));
    auto check = [&](const QString& text, QRect room, bool wrap) -> std::optional<QSize> {
        const QSize need = wrap
            ? metrics.boundingRect(QRect(0, 0, room.width(), 100000), Qt::TextWordWrap, text).size()
            : QSize(metrics.horizontalAdvance(text), line);
        if (need.width() <= room.width() && need.height() <= room.height())
            return std::nullopt;
        return need;
    };
    QStyleOptionButton option;
    option.initFrom(control);
    QStyle* style = control->style();
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        option.text = button->text();
        return check(Plain(button->text()),
            style->subElementRect(QStyle::SE_PushButtonContents, &option, control), false);
    }
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        option.text = box->text();
        const QRect indicator = style->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        const int left = indicator.right() + 1
            + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, box);
        return check(Plain(box->text()), QRect(left, 0, box->width() - left, box->height()),
            box->inherits("pelmora::dlg::CWrappingCheckBox"));
    }
    if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        option.text = radio->text();
        return check(Plain(radio->text()),
            style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio), false);
    }
    if (auto* label = qobject_cast<QLabel*>(control); label && !label->text().isEmpty())
        return check(label->text(), label->contentsRect(), label->wordWrap());
    return std::nullopt;
}

std::string KindOf(const QWidget* control)
{
    if (qobject_cast<const QRadioButton*>(control))
        return "radio button";
    if (qobject_cast<const QCheckBox*>(control))
        return "check box";
    if (qobject_cast<const QPushButton*>(control))
        return "push button";
    if (qobject_cast<const QComboBox*>(control))
        return "drop-down";
    if (qobject_cast<const QLineEdit*>(control) || qobject_cast<const QPlainTextEdit*>(control))
        return "edit";
    return "picture button";
}

// Whether the row `y` of a control's dialog, across the control's width, is
// taken: beyond the dialog, by another control or by its hit rectangle.
bool Taken(const QWidget* control, int y, int finger)
{
    const QWidget* dialog = control->parentWidget();
    if (y < 0 || y >= dialog->height())
        return true;
    const QRect row(control->x(), y, control->width(), 1);
    for (const QObject* child : dialog->children()) {
        const auto* other = qobject_cast<const QWidget*>(child);
        if (!other || other == control || other->isHidden()
            || qobject_cast<const QGroupBox*>(other))
            continue;
        if (other->geometry().intersects(row)
            || (IsTappable(other) && TouchHitRect(other, finger).intersects(row)))
            return true;
    }
    return false;
}

// The template controls of one page or dialog.
void CheckControls(CDialog& dialog, const std::string& where)
{
    SCOPED_TRACE(where);
    QWidget* window = dialog.window();
    const int finger = Screen().FingerPixels();
    const int least = Screen().LeastTouchPixels();
    std::vector<std::pair<int, QWidget*>> shown;
    for (const auto& [id, control] : dialog.Controls()) {
        if (control->isHidden() || control->parentWidget() != &dialog)
            continue;
        const QRect onScreen(control->mapTo(window, QPoint(0, 0)), control->size());
        EXPECT_TRUE(window->rect().contains(onScreen)) << id << " lies outside the screen";
        if (const auto need = CutText(control))
            ADD_FAILURE() << id << " cuts its text: needs " << need->width() << "x"
                          << need->height() << ", has " << control->width() << "x"
                          << control->height();
        for (const auto& [otherId, other] : shown) {
            const QRect a = control->geometry();
            const QRect b = other->geometry();
            const bool framed = (qobject_cast<QGroupBox*>(control) && a.contains(b))
                || (qobject_cast<QGroupBox*>(other) && b.contains(a));
            EXPECT_TRUE(framed || !a.intersects(b)) << id << " overlaps " << otherId;
        }
        shown.emplace_back(id, control);
        if (IsTappable(control) && control->isEnabled()) {
            const int hit = TouchHitRect(control, finger).height();
            const QRect grown = TouchHitRect(control, finger);
            EXPECT_GE(hit, least) << id << " (" << KindOf(control) << ") is " << Mm(hit)
                                  << " mm high to a finger";
            // Below a fingertip only where the layout leaves no more room.
            EXPECT_TRUE(hit >= finger
                || (Taken(control, grown.top() - 1, finger)
                    && Taken(control, grown.bottom() + 1, finger)))
                << id << " (" << KindOf(control) << ") could grow beyond " << hit << " px";
            Record(KindOf(control), hit);
        }
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            if (combo->count() == 0)
                combo->addItem(QStringLiteral("Row"));
            const int row = combo->view()->sizeHintForRow(0);
            EXPECT_GE(row, finger) << id << ": pop-up row";
            Record("pop-up row", row);
        }
        if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
            if (auto* tree = qobject_cast<QTreeWidget*>(view); tree && !tree->topLevelItemCount()) {
                if (tree->columnCount() == 0)
                    tree->setHeaderLabels({QString()});
                tree->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("Row")}));
            }
            if (auto* list = qobject_cast<QListWidget*>(view); list && !list->count())
                list->addItem(QStringLiteral("Row"));
            const int row = view->sizeHintForRow(0);
            EXPECT_GE(row, finger) << id << ": list row";
            Record("list row", row);
        }
    }
}

class PhoneLayout : public test::MonitoringWindow {
protected:
    void SetUp() override
    {
        MonitoringWindow::SetUp();
        ASSERT_TRUE(Screen().IsPhone()) << "the offscreen platform has no phone screen";
    }
};

} // namespace

TEST_F(PhoneLayout, TheMainWindowFillsTheScreenWithEveryPage)
{
    Open();
    Start();
    MissCall(u"+447700900123", 2);
    dialog->show();
    QApplication::processEvents();
    const QSize screen = Screen().Size();
    EXPECT_EQ(dialog->size(), screen);
    const int finger = Screen().FingerPixels();
    QTabBar* bar = dialog->Tabs()->Bar();
    for (int tab = 0; tab < bar->count(); ++tab) {
        EXPECT_GE(bar->tabRect(tab).height(), finger) << "tab " << tab;
        Record("tab", bar->tabRect(tab).height());
    }
    CMainMenuBar* menus = dialog->MenuBar();
    for (QAction* top : menus->actions()) {
        EXPECT_GE(menus->actionGeometry(top).height(), finger);
        Record("menu-bar item", menus->actionGeometry(top).height());
        for (QAction* item : top->menu()->actions())
            if (!item->isSeparator()) {
                EXPECT_GE(top->menu()->actionGeometry(item).height(), finger);
                Record("menu item", top->menu()->actionGeometry(item).height());
            }
    }
    const std::pair<int, const char*> pages[] = {{0, "main"}, {1, "profile"}, {2, "log"},
        {3, "rules-include"}, {3, "rules-exclude"}, {4, "about"}};
    for (const auto& [tab, name] : pages) {
        dialog->SelectPage(tab);
        QApplication::processEvents();
        if (CMultiWnd* panes = dialog->RulesPanes(); tab == 3 && panes) {
            panes->Tap(panes->Caption(name == std::string("rules-include") ? 1 : 0));
            QApplication::processEvents();
            for (auto* caption : panes->findChildren<CMultiWndCaption*>()) {
                EXPECT_GE(caption->height(), finger);
                Record("pane caption", caption->height());
            }
        }
        auto* page = qobject_cast<CDialog*>(dialog->Tabs()->PageAt(tab));
        ASSERT_NE(page, nullptr) << name;
        const QRect placed(page->mapTo(dialog.get(), QPoint(0, 0)), page->size());
        if (IsLandscape())
            EXPECT_NEAR(placed.bottom() + 1, bar->mapTo(dialog.get(), QPoint(0, 0)).y(), 4)
                << name << " leaves the screen's height";
        else
            EXPECT_NEAR(placed.right() + 1, screen.width(), 4) << name << " leaves the width";
        std::vector<CDialog*> dialogs {page};
        for (CDialog* inner : page->findChildren<CDialog*>())
            if (inner->isVisibleTo(page))
                dialogs.push_back(inner);
        for (CDialog* shown : dialogs)
            CheckControls(
                *shown, std::string(name) + " template " + std::to_string(shown->TemplateId()));
        Shoot(*dialog, QString::fromLatin1(name));
    }
}

namespace {

struct DialogShown {
    int portrait, landscape;
    const char* name;
};

const DialogShown kDialogs[] = {{IDD_ADDEDIT_MESSAGES, IDD_ADDEDIT_MESSAGES_L, "message-editor"},
    {IDD_NEW_PRESET, IDD_NEW_PRESET, "new-preset"},
    {IDD_INSERT_VARIABLE, IDD_INSERT_VARIABLE, "insert-variable"},
    {IDD_VARIABLES, IDD_VARIABLES_L, "variables"},
    {IDD_ADVANCED_SETTINGS, IDD_ADVANCED_SETTINGS_L, "advanced-settings"},
    {IDD_GROUPS, IDD_GROUPS_L, "groups"}, {IDD_GROUP, IDD_GROUP_L, "group"},
    {IDD_PROFILE_CUSTOM_MSGS, IDD_PROFILE_CUSTOM_MSGS_L, "custom-messages"},
    {IDD_SELECT_GROUP_MSG, IDD_SELECT_GROUP_MSG, "select-group-message"},
    {IDD_SELECT_CONTACT_MSG, IDD_SELECT_CONTACT_MSG_L, "select-contact-message"},
    {IDD_SCHEDULE, IDD_SCHEDULE_L, "schedule"},
    {IDD_SCHEDULE_WINDOW, IDD_SCHEDULE_WINDOW_L, "schedule-window"},
    {IDD_HISTORY, IDD_HISTORY_L, "history"},
    {IDD_HISTORY_CALL, IDD_HISTORY_CALL_L, "history-call"}};

// What a finger closes a dialog with: its own OK or Cancel, or the Done the
// framework adds where the template has neither.
QPushButton* TouchClose(CDialog& dialog)
{
    for (const int id : {IDOK, IDCANCEL})
        if (auto* button = dialog.Control<QPushButton>(id); button && button->isVisible())
            return button;
    return dialog.findChild<QPushButton*>(QStringLiteral("touchDone"));
}

void CheckTouchClose(CDialog& dialog)
{
    QPushButton* close = TouchClose(dialog);
    ASSERT_NE(close, nullptr) << "nothing closes it by touch";
    EXPECT_TRUE(close->isVisible() && close->isEnabled());
    EXPECT_TRUE(dialog.rect().contains(close->geometry())) << "off screen";
    EXPECT_GE(TouchHitRect(close, Screen().FingerPixels()).height(), Screen().LeastTouchPixels());
    for (const auto& [id, control] : dialog.Controls()) {
        if (control != close && control->isVisible()) {
            EXPECT_FALSE(control->geometry().intersects(close->geometry()))
                << "the close button covers " << id;
        }
    }
}

} // namespace

TEST_F(PhoneLayout, DialogsTakeTheWholeScreen)
{
    for (const DialogShown& shown : kDialogs) {
        COrientedDialog dialog(shown.portrait, shown.landscape, nullptr);
        SetModalHandler([&shown](CDialog& modal) {
            modal.show();
            QApplication::processEvents();
            EXPECT_EQ(modal.size(), Screen().Size());
            CheckControls(modal, shown.name);
            CheckTouchClose(modal);
            Shoot(modal, QStringLiteral("dialog-") + QString::fromLatin1(shown.name));
            // A finger closes it; a Done closes it as a title bar's button would.
            TouchClose(modal)->click();
            QApplication::processEvents();
            EXPECT_FALSE(modal.isVisible()) << shown.name;
            return IDOK;
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        SetModalHandler(nullptr);
    }
}

// The phone turns while a dialog is open: the dialog takes the new screen
// and its other template, and still closes by touch.
TEST_F(PhoneLayout, ATurnReLaysAnOpenDialog)
{
    for (const DialogShown& shown : kDialogs) {
        COrientedDialog dialog(shown.portrait, shown.landscape, nullptr);
        SetModalHandler([&shown](CDialog& modal) {
            modal.show();
            QApplication::processEvents();
            ScreenModel::Instance().TurnRealScreenForTesting(Screen().Size().transposed());
            QApplication::processEvents();
            EXPECT_EQ(modal.size(), Screen().Size()) << shown.name;
            EXPECT_EQ(modal.TemplateId(), IsLandscape() ? shown.landscape : shown.portrait);
            CheckControls(modal, std::string("turned ") + shown.name);
            CheckTouchClose(modal);
            Shoot(modal, QStringLiteral("turned-dialog-") + QString::fromLatin1(shown.name));
            ScreenModel::Instance().TurnRealScreenForTesting(QSize());
            QApplication::processEvents();
            EXPECT_EQ(modal.TemplateId(), IsLandscape() ? shown.landscape : shown.portrait);
            EXPECT_EQ(modal.size(), Screen().Size());
            return IDOK;
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        SetModalHandler(nullptr);
    }
}

// The Log as it fills: every number and name whole as the user stored them,
// stacked rows upright, columns as wide as their texts sideways; the list
// takes the rest of the page, and its widths are the phone's own.
TEST_F(PhoneLayout, TheLogShowsEveryTextWhole)
{
    Open();
    dialog->show();
    CLogListCtrl* list = dialog->LogList();
    ASSERT_NE(list, nullptr);
    const std::pair<const char16_t*, const char16_t*> calls[] = {{u"07700 900111", u"Ann"},
        {u"+447700900123", u""}, {u"01632 960001", u"Maximiliane von Hohenzollern"}};
    for (const auto& [number, first] : calls)
        list->AppendCall(number, first, *first ? u"Smith" : u"", 3, u"Yes");
    dialog->SelectPage(2);
    QApplication::processEvents();
    CDialog* page = dialog->LogPage();
    const QRect at = list->geometry();
    EXPECT_NEAR(at.right() + 1, page->width() - at.x(), 1) << "the list takes the page's width";
    EXPECT_NEAR(at.bottom() + 1, page->height() - at.x(), 1) << "and its height";
    EXPECT_EQ(list->ProfileSection(),
        IsLandscape() ? std::u16string(u"CLogListCtrl_Phone_L") : u"CLogListCtrl_Phone");
    EXPECT_EQ(list->IsStacked(), !IsLandscape());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    const QFontMetrics metrics(list->font());
    for (int row = 0; row < list->RowCount(); ++row) {
        SCOPED_TRACE(row);
        const QRect shown = list->visualItemRect(list->topLevelItem(row));
        EXPECT_GE(shown.height(), Screen().FingerPixels());
        if (list->IsStacked()) {
            const auto placed
                = CLogListCtrl::StackRow(metrics, shown.width() - 8, *list->topLevelItem(row));
            ASSERT_EQ(placed.size(), 4u);
            for (const auto& text : placed) {
                EXPECT_GE(text.rect.width(), metrics.horizontalAdvance(text.text))
                    << text.text.toStdString();
                EXPECT_LE(text.rect.bottom(), shown.height()) << text.text.toStdString();
            }
            // The number, then the caller, each with every character.
            EXPECT_EQ(placed[0].text, QString::fromStdU16String(list->RowText(row, 0)));
            EXPECT_EQ(placed[2].text, QString::fromStdU16String(list->RowText(row, 1)));
        } else {
            for (int column = 0; column < 5; ++column)
                EXPECT_GE(list->columnWidth(column),
                    metrics.horizontalAdvance(
                        QString::fromStdU16String(list->RowText(row, column))))
                    << column;
        }
    }
    Shoot(*dialog, QStringLiteral("log-with-calls"));
}

// A finger (here a mouse, as a phone shell may hand a touch over) swipes a
// long list: the view glides, and a tap afterwards still selects its row.
TEST_F(PhoneLayout, ASwipeScrollsALongListAndATapSelects)
{
    Open();
    dialog->show();
    CLogListCtrl* list = dialog->LogList();
    for (int call = 0; call < 40; ++call)
        list->AppendCall(u"07700 900" + std::u16string(1, u'1' + call % 9), u"Ann", u"", 1, u"No");
    dialog->SelectPage(2);
    QApplication::processEvents();
    QWidget* surface = list->viewport();
    ASSERT_EQ(list->verticalScrollBar()->value(), 0);
    const int x = surface->width() / 2;
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(x, surface->height() - 10));
    for (int y = surface->height() - 10; y > 10; y -= surface->height() / 20)
        QTest::mouseMove(surface, QPoint(x, y), 10);
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(x, 10), 10);
    EXPECT_TRUE(test::WaitUntil([list] { return list->verticalScrollBar()->value() > 0; }, 3000));
    EXPECT_EQ(list->currentItem(), nullptr) << "a swipe selects nothing";
    QTest::qWait(1500);
    QTreeWidgetItem* item = list->itemAt(QPoint(x, surface->height() / 2));
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(x, surface->height() / 2));
    EXPECT_TRUE(test::WaitUntil([list, item] { return list->currentItem() == item; }, 2000));
}

// The history window as it is used: its own list with rows, the three
// columns side by side without a sideways scroll. Long names and numbers
// end in "…" with the time and the outcome whole; a call's record wraps
// them.
TEST_F(PhoneLayout, HistoryListFitsItsColumns)
{
    test::ScratchDir dir;
    CallHistory history(dir.Path(), 0, 0);
    const struct {
        std::u16string number, name;
        ReplyFate fate;
        DeliveryState delivery;
    } calls[] = {
        {u"+447700900123", u"Annabelle Brown-Whitfield", ReplyFate::AnsweredYes,
            DeliveryState::Delivered},
        {u"+447700900999", u"", ReplyFate::None, DeliveryState::Unknown},
        {u"+4930123456789012345678901", u"", ReplyFate::Sent, DeliveryState::Failed},
        {u"01632960001", u"Maximiliane Alexandrina von Hohenzollern-Sigmaringen", ReplyFate::Sent,
            DeliveryState::Waiting},
        {u"01632960002", u"Bob", ReplyFate::Sent, DeliveryState::Unknown},
    };
    for (const auto& c : calls) {
        CallRecord r;
        r.timeUtc = 1'800'000'000 + static_cast<int64_t>(history.Count()) * 3600;
        r.number = c.number;
        r.callerName = c.name;
        r.fate = c.fate;
        r.delivery = c.delivery;
        if (c.delivery == DeliveryState::Failed)
            r.deliveryReason = u"the number is not in service in the network it was sent to";
        r.reason = c.fate == ReplyFate::None ? HistoryReason::Rings : HistoryReason::Replied;
        r.text = u"Sorry I missed your call, I am driving. Book a call back at "
                 u"https://example.org/callback?key=0123456789abcdef0123456789abcdef0123456789";
        history.Record(r);
    }
    CHistoryDlg dialog(history, nullptr, nullptr);
    SetModalHandler([](CDialog& modal) {
        modal.show();
        QApplication::processEvents();
        static int shots = 0;
        if (dynamic_cast<CHistoryCallDlg*>(&modal)) {
            CheckControls(modal, "history call");
            auto* record = modal.Control<QPlainTextEdit>(CHistoryCallDlg::IDC_RECORD);
            EXPECT_FALSE(record->horizontalScrollBar()->isVisible()) << "wrapped";
            EXPECT_LE(record->document()->size().width(), record->viewport()->width());
            Shoot(modal, QStringLiteral("history-call-%1").arg(++shots));
            return IDOK;
        }
        CheckControls(modal, "history");
        auto& history = static_cast<CHistoryDlg&>(modal);
        QTreeView* view = history.View();
        QHeaderView* header = view->header();
        const auto Need = [view](int column) {
            return static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column);
        };
        EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
        EXPECT_LE(header->length(), view->viewport()->width());
        EXPECT_EQ(view->textElideMode(), Qt::ElideRight);
        for (int column = 0; column < HistoryModel::ColumnCount; ++column)
            EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column) - 1) << column;
        EXPECT_GE(header->sectionSize(HistoryModel::Time), Need(HistoryModel::Time));
        const int rest = view->viewport()->width() - header->sectionSize(HistoryModel::Time);
        EXPECT_GE(header->sectionSize(HistoryModel::Outcome), Need(HistoryModel::Outcome))
            << "every outcome whole";
        EXPECT_GE(header->sectionSize(HistoryModel::Caller), rest / 3);
        Shoot(modal, QStringLiteral("history"));
        // The two calls with the longest texts, as a tap shows them.
        history.ShowDetails(1);
        history.ShowDetails(2);
        return IDOK;
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    SetModalHandler(nullptr);
}

TEST_F(PhoneLayout, MessageBoxesFitTheScreenWithFingerSizedButtons)
{
    // A history record with a text as long as one SMS.
    CallRecord record;
    record.timeUtc = 1'800'000'000;
    record.number = u"+447700900123";
    record.callerName = u"Annabelle Brown-Whitfield";
    record.contactId = 4711;
    record.lookupStage = "international form";
    record.rings = 4;
    record.profileId = 3;
    record.templateId = 12;
    record.fate = ReplyFate::Failed;
    record.error = u"the modem refused the message";
    record.text = std::u16string(u"Sorry I missed your call, I am driving and will call you "
                                 u"back as soon as I can. ")
        + u"Please send a text if it is urgent; I read them at every stop I make.";
    const MessageBoxCall calls[]
        = {{u"Are you sure you want to delete this profile and every custom message it holds?",
               u"Pelmora", MessageButtons::YesNo},
            {u"Could not initialize sms engine, please reinstall application or contact vendor",
                u"Pelmora", MessageButtons::Ok},
            {HistoryDetails(record), u"Call", MessageButtons::Ok}};
    int index = 0;
    for (const MessageBoxCall& call : calls) {
        const auto box = BuildMessageBox(nullptr, call);
        box->show();
        QApplication::processEvents();
        EXPECT_EQ(box->width(), Screen().Size().width());
        EXPECT_LE(box->height(), Screen().Size().height());
        auto* text = box->findChild<QLabel*>(QStringLiteral("text"));
        ASSERT_NE(text, nullptr);
        EXPECT_FALSE(CutText(text).has_value());
        // No title bar on a phone: the title heads the box, whole.
        auto* title = box->findChild<QLabel*>(QStringLiteral("title"));
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->text(), QString::fromStdU16String(call.title));
        EXPECT_FALSE(CutText(title).has_value());
        EXPECT_LE(title->geometry().bottom(), text->geometry().top());
        for (QAbstractButton* button : box->findChild<QDialogButtonBox*>()->buttons()) {
            EXPECT_GE(button->height(), Screen().FingerPixels());
            EXPECT_TRUE(box->rect().contains(button->geometry()));
            Record("message-box button", button->height());
        }
        static const char* const kNames[] = {"question", "error", "call-record"};
        Shoot(*box, QStringLiteral("message-box-") + QString::fromLatin1(kNames[index++]));
    }
}

namespace {

// What a screen reader would speak for each control a finger can reach.
std::vector<std::string> Unnamed(CDialog& dialog)
{
    std::vector<std::string> unnamed;
    for (const auto& [id, control] : dialog.Controls()) {
        if (control->isHidden() || qobject_cast<QLabel*>(control)
            || qobject_cast<QGroupBox*>(control)
            || (qobject_cast<CPictureCtrl*>(control)
                && !static_cast<CPictureCtrl*>(control)->Clickable()))
            continue;
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
        if (!spoken || spoken->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.push_back(std::to_string(id) + " " + control->metaObject()->className());
    }
    return unnamed;
}

} // namespace

TEST_F(PhoneLayout, EveryControlHasANameToSpeak)
{
    Open();
    dialog->show();
    for (int tab = 0; tab < dialog->Tabs()->Bar()->count(); ++tab) {
        dialog->SelectPage(tab);
        QApplication::processEvents();
        auto* page = qobject_cast<CDialog*>(dialog->Tabs()->PageAt(tab));
        std::vector<CDialog*> shown {page};
        for (CDialog* inner : page->findChildren<CDialog*>())
            shown.push_back(inner);
        for (CDialog* each : shown)
            EXPECT_EQ(Unnamed(*each), std::vector<std::string>()) << "page " << tab;
    }
    for (const DialogShown& shown : kDialogs) {
        COrientedDialog opened(shown.portrait, shown.landscape, nullptr);
        SetModalHandler([&shown](CDialog& modal) {
            modal.show();
            EXPECT_EQ(Unnamed(modal), std::vector<std::string>()) << shown.name;
            // An edit is called by its label, a list without one by its frame or dialog.
            if (modal.TemplateId() == IDD_SCHEDULE_WINDOW) {
                EXPECT_EQ(modal.GetDlgItem(1097)->accessibleName(), QStringLiteral("From"));
                EXPECT_EQ(
                    modal.GetDlgItem(1099)->accessibleName(), QStringLiteral("Inside the window"));
            }
            return IDOK;
        });
        opened.DoModal();
        SetModalHandler(nullptr);
    }
}

TEST_F(PhoneLayout, TheTimePickerFillsTheScreenWithFingerRows)
{
    QTimer::singleShot(0, [] {
        auto* picker = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(picker, nullptr);
        QApplication::processEvents();
        EXPECT_EQ(picker->size(), Screen().Size());
        for (auto* column : picker->findChildren<QListWidget*>()) {
            EXPECT_GE(column->sizeHintForRow(0), Screen().FingerPixels());
            EXPECT_TRUE(picker->rect().contains(column->geometry()));
        }
        Shoot(*picker, QStringLiteral("time-picker"));
        picker->reject();
    });
    EXPECT_EQ(PickTime(nullptr, 7 * 60 + 30), std::nullopt);
}

// The question folded away shows on the bar; tapped there it comes back
// below the Start button and, the bar gone, stays clear of the tab row.
TEST_F(PhoneLayout, TheReopenedQuestionKeepsOffTheTabRow)
{
    SimulatedClock clock(0);
    test::ClockInstalled installed(clock);
    Open();
    dialog->show();
    main->CheckDlgButton(CMainPage::IDC_INTERACTIVE, 1);
    Start();
    MissCall(u"07700900111");
    clock.Advance(90'000);
    QPushButton* bar = dialog->QuestionIndicator();
    ASSERT_TRUE(bar->isVisible());
    bar->click();
    QApplication::processEvents();
    ASSERT_NE(Bubble(), nullptr);
    EXPECT_FALSE(bar->isVisible());
    const QTabBar* tabs = dialog->Tabs()->Bar();
    const QRect row(tabs->mapToGlobal(QPoint(0, 0)), tabs->size());
    EXPECT_FALSE(Bubble()->geometry().intersects(row));
}

TEST_F(PhoneLayout, ExitNamesNoCloseButtonThePhoneHasNot)
{
    Open();
    Start();
    ScopedMessageBoxCapture boxes;
    dialog->RouteCommand(32778);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    const std::u16string& asked = boxes.Texts()[0];
    EXPECT_EQ(asked.find(u"close button"), std::u16string::npos);
    EXPECT_NE(
        asked.find(u"close its window instead (from the list of open apps)"), std::u16string::npos);
}

TEST_F(PhoneLayout, APictureIsTappedOnceOnItOrBesideIt)
{
    // A picture does not take the press itself: it passes on to the page.
    CDialog page(IDD_MAIN);
    ASSERT_TRUE(page.Create(nullptr));
    page.show();
    auto* help = page.Control<CPictureCtrl>(CMainPage::IDC_HELP);
    ASSERT_NE(help, nullptr);
    int taps = 0;
    help->SetOnClick([&taps] { ++taps; });
    QTest::mouseClick(help, Qt::LeftButton);
    EXPECT_EQ(taps, 1);
    const QRect hit = TouchHitRect(help, Screen().FingerPixels());
    ASSERT_GT(hit.bottom(), help->geometry().bottom());
    QTest::mouseClick(&page, Qt::LeftButton, {}, QPoint(help->x() + 1, hit.bottom()));
    EXPECT_EQ(taps, 2);
    // Sideways too: a narrow icon's hit area grows towards a fingertip's width.
    EXPECT_GE(hit.width(), std::min(Screen().FingerPixels(), page.width()));
    const int beside = hit.left() < help->x() ? hit.left() : hit.right();
    QTest::mouseClick(&page, Qt::LeftButton, {}, QPoint(beside, help->y() + help->height() / 2));
    EXPECT_EQ(taps, 3);
}

TEST_F(PhoneLayout, ATapBesideAControlReachesIt)
{
    Open();
    dialog->show();
    QApplication::processEvents();
    auto* box = main->Control<QCheckBox>(CMainPage::IDC_INTERACTIVE);
    ASSERT_NE(box, nullptr);
    const QRect hit = TouchHitRect(box, Screen().FingerPixels());
    ASSERT_GT(hit.height(), box->height()) << "no room to grow into";
    const bool before = box->isChecked();
    // Just above the box and just below it, on the page's own background.
    QTest::mouseClick(main, Qt::LeftButton, {}, QPoint(hit.center().x(), hit.top()));
    EXPECT_NE(box->isChecked(), before);
    QTest::mouseClick(main, Qt::LeftButton, {}, QPoint(hit.center().x(), hit.bottom()));
    EXPECT_EQ(box->isChecked(), before);
    // Outside the grown rectangle the page keeps the tap.
    if (hit.bottom() + 2 < main->height())
        QTest::mouseClick(main, Qt::LeftButton, {}, QPoint(hit.center().x(), hit.bottom() + 2));
    EXPECT_EQ(box->isChecked(), before);
}

namespace {

// After all tests: the table of what they measured.
class HitHeightReport final : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (Smallest().empty())
            return;
        std::printf("%-20s %6s %6s   (%s, 7 mm = %d px)\n", "control", "px", "mm",
            ScreenName().toLatin1().constData(), Screen().FingerPixels());
        for (const auto& [kind, height] : Smallest())
            std::printf("%-20s %6d %6.1f\n", kind.c_str(), height, Mm(height));
    }
};

[[maybe_unused]] ::testing::Environment* const kReport
    = ::testing::AddGlobalTestEnvironment(new HitHeightReport);

} // namespace

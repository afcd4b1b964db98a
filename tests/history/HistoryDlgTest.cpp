#include "history/HistoryDlg.h"
#include "history/HistoryCallDlg.h"
#include "history/HistoryText.h"
#include "platform/framework/PopupMenu.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::test;

namespace {

struct Step {
    const char* what;
    std::function<void(CHistoryDlg&)> act;
};

// Runs the dialog over a history of three calls, newest last written;
// `details` looks into a call's record window while it is open.
void RunDialog(CallHistory& history, std::vector<std::u16string>& dialled,
    const std::vector<Step>& steps, std::function<void(CHistoryCallDlg&)> details = {})
{
    for (const auto& [number, name] :
        {std::pair {u"+4420", u"Ann"}, std::pair {u"+1555", u""}, std::pair {u"+4421", u"Bob"}}) {
        CallRecord r;
        r.timeUtc = 1000 + static_cast<int64_t>(history.Count());
        r.number = number;
        r.callerName = name;
        history.Record(r);
    }
    dlg::SetModalHandler([&](dlg::CDialog& shown) {
        if (auto* call = dynamic_cast<CHistoryCallDlg*>(&shown)) {
            if (details)
                details(*call);
            return dlg::IDOK;
        }
        auto& dialog = static_cast<CHistoryDlg&>(shown);
        dialog.show();
        QApplication::processEvents();
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            step.act(dialog);
        }
        return dlg::IDOK;
    });
    CHistoryDlg dialog(
        history, [&](const std::u16string& n) { dialled.push_back(n); }, nullptr);
    dialog.DoModal();
    dlg::SetModalHandler(nullptr);
}

void Tap(CHistoryDlg& dialog, int row)
{
    QTreeView* view = dialog.View();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
        view->visualRect(dialog.Model().index(row, 1)).center());
}

std::u16string Numbers(CHistoryDlg& d)
{
    std::u16string all;
    for (int row = 0; row < d.Model().rowCount(); ++row)
        all += d.Model().Record(row).number + u' ';
    return all;
}

std::u16string Shown(CHistoryCallDlg& call)
{
    return call.Control<QPlainTextEdit>(CHistoryCallDlg::IDC_RECORD)
        ->toPlainText()
        .toStdU16String();
}

void Hold(CHistoryDlg& dialog, int row)
{
    QTreeView* view = dialog.View();
    const QPoint at = view->visualRect(dialog.Model().index(row, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &event);
}

} // namespace

TEST(HistoryDlg, SearchTapHoldDeleteAndClearAskFirst)
{
    ScratchDir dir;
    CallHistory history(dir.Path(), 0, 0);
    ScriptedMessageBoxes boxes;
    std::vector<std::u16string> dialled;
    int chosen = 0;
    int64_t shownId = -1;
    dlg::SetPopupMenuHandler([&](const std::vector<dlg::MenuItem>& items, QPoint) {
        EXPECT_EQ(items.size(), 2u);
        EXPECT_EQ(items.at(0).text, u"Call number");
        EXPECT_EQ(items.at(1).text, u"Delete");
        return chosen;
    });
    RunDialog(history, dialled,
        {{"newest first", [&](CHistoryDlg& d) { EXPECT_EQ(Numbers(d), u"+4421 +1555 +4420 "); }},
            {"the search filters as the user types",
                [&](CHistoryDlg& d) {
                    QTest::keyClicks(d.Control<QLineEdit>(CHistoryDlg::IDC_SEARCH), "+442");
                    EXPECT_EQ(Numbers(d), u"+4421 +4420 ");
                }},
            {"a tap shows the whole record",
                [&](CHistoryDlg& d) {
                    shownId = 0;
                    Tap(d, 1);
                    EXPECT_EQ(shownId, d.Model().Record(1).id);
                }},
            {"hold, Call number",
                [&](CHistoryDlg& d) {
                    chosen = CHistoryDlg::ID_CALL_NUMBER;
                    Hold(d, 1);
                    EXPECT_EQ(dialled, std::vector<std::u16string> {u"+4420"});
                }},
            {"hold, Delete, No keeps it; Yes deletes it from the file",
                [&](CHistoryDlg& d) {
                    chosen = CHistoryDlg::ID_DELETE;
                    Hold(d, 0);
                    EXPECT_EQ(boxes.Shown().back().title, u"Confirm delete");
                    EXPECT_EQ(history.Count(), 3);
                    boxes.Answer(dlg::IDYES);
                    Hold(d, 0);
                    EXPECT_EQ(Numbers(d), u"+4420 ");
                    EXPECT_EQ(history.Count(), 2);
                }},
            {"a call recorded during the question moves the rows; the one asked about goes",
                [&](CHistoryDlg& d) {
                    boxes.Meanwhile([&] {
                        CallRecord r;
                        r.timeUtc = 9000;
                        r.number = u"+4429";
                        history.Record(r);
                    });
                    boxes.Answer(dlg::IDYES);
                    Hold(d, 0);
                    EXPECT_EQ(Numbers(d), u"+4429 ");
                    EXPECT_EQ(history.Count(), 2);
                }},
            {"Clear history, No keeps all; Yes empties it",
                [&](CHistoryDlg& d) {
                    d.RouteCommand(CHistoryDlg::IDC_CLEAR);
                    EXPECT_EQ(boxes.Shown().back().title, u"Confirm clear");
                    EXPECT_EQ(history.Count(), 2);
                    boxes.Answer(dlg::IDYES);
                    d.RouteCommand(CHistoryDlg::IDC_CLEAR);
                    EXPECT_EQ(d.Model().rowCount(), 0);
                    EXPECT_EQ(history.Count(), 0);
                }}},
        [&](CHistoryCallDlg& call) {
            shownId = call.Id();
            EXPECT_EQ(Shown(call), HistoryDetails(*history.ReadRow(call.Id())));
        });
    dlg::SetPopupMenuHandler(nullptr);
    EXPECT_EQ(boxes.Shown().size(), 5u);
}

TEST(HistoryDlg, ShowsChangesWhileOpenKeepingSelectionSearchAndTheRecordShown)
{
    ScratchDir dir;
    CallHistory history(dir.Path(), 0, 0);
    std::vector<std::u16string> dialled;
    const auto Record = [&](std::u16string number) {
        CallRecord r;
        r.timeUtc = 5000 + history.Count();
        r.number = std::move(number);
        r.fate = ReplyFate::Sent;
        return history.Record(r);
    };
    const auto Current
        = [](CHistoryDlg& d) { return d.Model().Record(d.View()->currentIndex().row()).number; };
    std::u16string record, closed;
    RunDialog(history, dialled,
        {{"a new call comes at the top, the selection stays on its call",
             [&](CHistoryDlg& d) {
                 d.View()->setCurrentIndex(d.Model().index(1, 0));
                 Record(u"+4422");
                 EXPECT_EQ(Numbers(d), u"+4422 +4421 +1555 +4420 ");
                 EXPECT_EQ(Current(d), u"+1555");
                 EXPECT_TRUE(d.View()->selectionModel()->isRowSelected(2));
             }},
            {"the search holds",
                [&](CHistoryDlg& d) {
                    QTest::keyClicks(d.Control<QLineEdit>(CHistoryDlg::IDC_SEARCH), "+442");
                    Record(u"+4423");
                    Record(u"+1556");
                    EXPECT_EQ(Numbers(d), u"+4423 +4422 +4421 +4420 ");
                    EXPECT_EQ(d.GetDlgItemText(CHistoryDlg::IDC_SEARCH), u"+442");
                }},
            {"the record shown follows its delivery and closes when deleted",
                [&](CHistoryDlg& d) {
                    Tap(d, 0);
                    EXPECT_EQ(Numbers(d), u"+4422 +4421 +4420 ");
                    EXPECT_NE(record.find(u"Delivery: not delivered (no such number)"),
                        std::u16string::npos);
                    EXPECT_EQ(closed, u"open, closed");
                }}},
        [&](CHistoryCallDlg& call) {
            history.SetDelivery(call.Id(), DeliveryState::Failed, u"no such number");
            record = Shown(call);
            const auto State = [&] { return call.result() == dlg::IDCANCEL ? u"closed" : u"open"; };
            history.Delete(history.ReadNewest(u"", 1)[0].id); // another call: +1556
            closed = State() + std::u16string(u", ");
            history.Delete(call.Id());
            closed += State();
        });
}

TEST(HistoryDlg, ACallRecordedWhileTheUserLooksFurtherDownMovesNothingInView)
{
    ScratchDir dir;
    CallHistory history(dir.Path(), 0, 0);
    CallRecord r;
    for (int i = 0; i < 60; ++i) {
        r.timeUtc = 100 + i;
        history.Record(r);
    }
    std::vector<std::u16string> dialled;
    RunDialog(history, dialled,
        {{"scrolled down", [&](CHistoryDlg& d) {
              QTreeView* view = d.View();
              view->scrollTo(d.Model().index(30, 0), QAbstractItemView::PositionAtTop);
              const auto Top = [&] { return d.Model().Record(view->indexAt({0, 0}).row()).id; };
              const int64_t top = Top();
              r.timeUtc = 9999;
              history.Record(r);
              EXPECT_EQ(Top(), top);
              view->scrollToTop();
              EXPECT_EQ(d.Model().Record(view->indexAt({0, 0}).row()).timeUtc, 9999);
          }}});
}

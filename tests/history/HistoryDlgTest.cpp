#include "history/HistoryDlg.h"
#include "history/HistoryText.h"
#include "platform/framework/PopupMenu.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
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

// Runs the dialog over a history of three calls, newest last written.
void RunDialog(
    CallHistory& history, std::vector<std::u16string>& dialled, const std::vector<Step>& steps)
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
    dlg::SetPopupMenuHandler([&](const std::vector<dlg::MenuItem>& items, QPoint) {
        EXPECT_EQ(items.size(), 2u);
        EXPECT_EQ(items.at(0).text, u"Call number");
        EXPECT_EQ(items.at(1).text, u"Delete");
        return chosen;
    });
    const auto Numbers = [](CHistoryDlg& d) {
        std::u16string all;
        for (int row = 0; row < d.Model().rowCount(); ++row)
            all += d.Model().Record(row).number + u' ';
        return all;
    };
    RunDialog(history, dialled,
        {{"newest first", [&](CHistoryDlg& d) { EXPECT_EQ(Numbers(d), u"+4421 +1555 +4420 "); }},
            {"the search filters as the user types",
                [&](CHistoryDlg& d) {
                    QTest::keyClicks(d.Control<QLineEdit>(CHistoryDlg::IDC_SEARCH), "+442");
                    EXPECT_EQ(Numbers(d), u"+4421 +4420 ");
                }},
            {"a tap shows the whole record",
                [&](CHistoryDlg& d) {
                    QTreeView* view = d.View();
                    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                        view->visualRect(d.Model().index(1, 1)).center());
                    ASSERT_EQ(boxes.Shown().size(), 1u);
                    EXPECT_EQ(boxes.Shown()[0].text, HistoryDetails(d.Model().Record(1)));
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
            {"Clear history, No keeps all; Yes empties it", [&](CHistoryDlg& d) {
                 d.RouteCommand(CHistoryDlg::IDC_CLEAR);
                 EXPECT_EQ(boxes.Shown().back().title, u"Confirm clear");
                 EXPECT_EQ(history.Count(), 2);
                 boxes.Answer(dlg::IDYES);
                 d.RouteCommand(CHistoryDlg::IDC_CLEAR);
                 EXPECT_EQ(d.Model().rowCount(), 0);
                 EXPECT_EQ(history.Count(), 0);
             }}});
    dlg::SetPopupMenuHandler(nullptr);
    EXPECT_EQ(boxes.Shown().size(), 5u);
}

#include "history/HistoryDlg.h"

#include "history/HistoryCallDlg.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/PopupMenu.h"
#include "resources/Resources.h"

#include <QContextMenuEvent>
#include <QGestureEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTapAndHoldGesture>
#include <QTimer>
#include <QTreeView>

namespace pelmora {

namespace {

// The list: a tap-and-hold, or a right click, asks for the row's menu.
class HistoryView final : public QTreeView {
public:
    using Hold = std::function<void(int row, QPoint screenPoint)>;
    HistoryView(QWidget* parent, Hold hold)
        : QTreeView(parent)
        , hold_(std::move(hold))
    {
        setRootIsDecorated(false);
        setUniformRowHeights(true);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setAllColumnsShowFocus(true);
        viewport()->grabGesture(Qt::TapAndHoldGesture);
        // The columns are fitted once the model's changes are all in: measured
        // amid an insertion, the view would read every page.
        fit_.setSingleShot(true);
        fit_.setInterval(0);
        connect(&fit_, &QTimer::timeout, this, &HistoryView::FitColumns);
    }

    void setModel(QAbstractItemModel* model) override
    {
        QTreeView::setModel(model);
        // A call recorded while the user looks further down leaves the rows
        // in view where they are; at the top it shows as the first row.
        connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
            top_ = verticalScrollBar()->value() > 0 ? QPersistentModelIndex(indexAt({0, 0}))
                                                    : QPersistentModelIndex();
            topOffset_ = top_.isValid() ? -visualRect(top_).top() : 0;
        });
        connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int, int last) {
                if (top_.isValid() && top_.row() > last) {
                    scrollTo(top_, PositionAtTop);
                    if (verticalScrollMode() == ScrollPerPixel)
                        verticalScrollBar()->setValue(verticalScrollBar()->value() + topOffset_);
                }
                top_ = QPersistentModelIndex();
                fit_.start();
            });
        connect(model, &QAbstractItemModel::dataChanged, &fit_, qOverload<>(&QTimer::start));
        connect(model, &QAbstractItemModel::modelReset, &fit_, qOverload<>(&QTimer::start));
    }

    // The time whole; the outcome as wide as it needs while the caller keeps
    // a third of the rest; both end in "…" when the screen is too narrow.
    void FitColumns()
    {
        QHeaderView* top = header();
        if (!model() || !viewport()->width())
            return;
        const auto Need = [&](int column) {
            return std::max(sizeHintForColumn(column), top->sectionSizeHint(column));
        };
        const int room = viewport()->width() - top->sectionSize(HistoryModel::Time);
        const int outcome = Need(HistoryModel::Outcome);
        const int caller = Need(HistoryModel::Caller);
        top->resizeSection(HistoryModel::Outcome,
            caller + outcome <= room ? outcome
                                     : std::max(room - caller, std::min(outcome, room * 2 / 3)));
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QTreeView::resizeEvent(event);
        FitColumns();
    }

    void contextMenuEvent(QContextMenuEvent* event) override
    {
        const QPoint point = event->reason() == QContextMenuEvent::Keyboard
            ? visualRect(currentIndex()).center()
            : event->pos();
        Held(point, event->globalPos());
        event->accept();
    }

    bool viewportEvent(QEvent* event) override
    {
        if (event->type() == QEvent::Gesture) {
            auto* gestures = static_cast<QGestureEvent*>(event);
            if (auto* hold
                = static_cast<QTapAndHoldGesture*>(gestures->gesture(Qt::TapAndHoldGesture))) {
                if (hold->state() == Qt::GestureFinished) {
                    const QPoint screen = hold->position().toPoint();
                    Held(viewport()->mapFromGlobal(screen), screen);
                }
                gestures->accept(hold);
                return true;
            }
        }
        return QTreeView::viewportEvent(event);
    }

private:
    void Held(QPoint viewportPoint, QPoint screenPoint)
    {
        const QModelIndex index = indexAt(viewportPoint);
        if (!index.isValid())
            return;
        setCurrentIndex(index);
        hold_(index.row(), screenPoint);
    }

    Hold hold_;
    QPersistentModelIndex top_; // the first row in view before an insertion
    int topOffset_ = 0; // how much of it was scrolled past, in pixels
    QTimer fit_;
};

} // namespace

CHistoryDlg::CHistoryDlg(CallHistory& history, Dialer dial, QWidget* parent)
    : COrientedDialog(IDD_HISTORY, IDD_HISTORY_L, parent)
    , history_(history)
    , model_(history)
    , dial_(std::move(dial))
{
    SetControlFactory(IDC_CALLS, [this](QWidget* parent) {
        auto* view
            = new HistoryView(parent, [this](int row, QPoint screen) { OfferMenu(row, screen); });
        view->setModel(&model_);
        view->header()->setStretchLastSection(false);
        view->header()->setSectionResizeMode(HistoryModel::Time, QHeaderView::ResizeToContents);
        view->header()->setSectionResizeMode(HistoryModel::Caller, QHeaderView::Stretch);
        view->header()->setSectionResizeMode(HistoryModel::Outcome, QHeaderView::Fixed);
        connect(view, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { ShowDetails(index.row()); });
        return view;
    });
}

QTreeView* CHistoryDlg::View() const
{
    return Control<QTreeView>(IDC_CALLS);
}

bool CHistoryDlg::OnInitDialog()
{
    model_.Search(u"");
    return true;
}

int CHistoryDlg::CurrentRow() const
{
    const QTreeView* view = View();
    return view && view->currentIndex().isValid() ? view->currentIndex().row() : -1;
}

void CHistoryDlg::ShowDetails(int row)
{
    if (row < 0 || row >= model_.rowCount())
        return;
    CHistoryCallDlg details(history_, model_.Record(row).id, this);
    details.DoModal();
}

void CHistoryDlg::OfferMenu(int row, QPoint screenPoint)
{
    if (row < 0 || row >= model_.rowCount())
        return;
    dlg::TrackPopupMenu(
        {{ID_CALL_NUMBER, u"Call number"}, {ID_DELETE, u"Delete"}}, screenPoint, this);
}

void CHistoryDlg::OnNotify(int id, dlg::ControlNotification code)
{
    if (id == IDC_SEARCH && code == dlg::ControlNotification::Change)
        model_.Search(GetDlgItemText(IDC_SEARCH));
}

bool CHistoryDlg::OnCommand(int id)
{
    const int row = CurrentRow();
    switch (id) {
    case IDC_CLEAR:
        if (dlg::MessageBox(this, u"Are you sure you want to clear the whole history?",
                u"Confirm clear", dlg::MessageButtons::YesNo)
                == dlg::IDYES
            && !model_.ClearAll())
            dlg::MessageBox(this, u"The history could not be cleared.", u"History");
        return true;
    case ID_CALL_NUMBER:
        if (row >= 0 && dial_)
            dial_(model_.Record(row).number);
        return true;
    case ID_DELETE: {
        if (row < 0)
            return true;
        // Calls recorded while the question is open move the rows: the
        // answer is about the call asked for, wherever it is now.
        const int64_t asked = model_.Record(row).id;
        if (dlg::MessageBox(this, u"Are you sure you want to delete this call from the history?",
                u"Confirm delete", dlg::MessageButtons::YesNo)
            != dlg::IDYES)
            return true;
        const int now = model_.RowOf(asked);
        if (now >= 0 && !model_.DeleteRow(now))
            dlg::MessageBox(this, u"The call could not be deleted.", u"History");
        return true;
    }
    default:
        return COrientedDialog::OnCommand(id);
    }
}

} // namespace pelmora

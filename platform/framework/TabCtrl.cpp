#include "platform/framework/TabCtrl.h"

#include "platform/framework/DialogUnits.h"
#include "platform/framework/ScreenModel.h"

#include <QResizeEvent>
#include <QString>

namespace pelmora::dlg {

CTabCtrl::CTabCtrl(QWidget* parent)
    : QWidget(parent)
    , bar_(new QTabBar(this))
{
    bar_->setShape(QTabBar::RoundedSouth);
    bar_->setExpanding(false);
    bar_->setDrawBase(true);
    bar_->setUsesScrollButtons(true);
    ApplyScreenScale();
    connect(bar_, &QTabBar::currentChanged, this, [this](int) {
        if (!settingSelection_)
            OnSelChange();
    });
}

int CTabCtrl::InsertItem(int index, std::u16string_view text)
{
    if (index < 0)
        return -1;
    settingSelection_ = true;
    const int at = bar_->insertTab(index, QString::fromStdU16String(std::u16string(text)));
    settingSelection_ = false;
    PlaceBar();
    return at;
}

int CTabCtrl::GetItemCount() const
{
    return bar_->count();
}
int CTabCtrl::GetCurSel() const
{
    return bar_->currentIndex();
}

int CTabCtrl::SetCurSel(int index)
{
    const int previous = bar_->currentIndex();
    if (index < 0 || index >= bar_->count())
        return -1;
    settingSelection_ = true;
    bar_->setCurrentIndex(index);
    settingSelection_ = false;
    return previous;
}

QRect CTabCtrl::GetItemRect(int index) const
{
    if (index < 0 || index >= bar_->count())
        return {};
    return bar_->tabRect(index).translated(bar_->pos());
}

void CTabCtrl::AdjustRect(bool larger, QRect& rect) const
{
    const int rowHeight = bar_->count() > 0 ? bar_->sizeHint().height() : 0;
    if (larger)
        rect.setBottom(rect.bottom() + rowHeight);
    else
        rect.setBottom(rect.bottom() - rowHeight);
}

void CTabCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceBar();
}

void CTabCtrl::ApplyScreenScale()
{
    // Phone-sized tabs: five of them fit the width of the design's screen.
    bar_->setFont(DialogFont());
    QString sheet = QStringLiteral("QTabBar::tab { padding: %1px %2px; min-width: 0px; ")
                        .arg(ScaledPixels(3))
                        .arg(ScaledPixels(7));
    const ScreenModel& screen = ScreenModel::Instance();
    // The style sheet's height is the text's, inside the padding and the
    // frame line.
    if (screen.IsPhone())
        sheet += QStringLiteral("min-height: %1px; ")
                     .arg(screen.FingerPixels() - 2 * ScaledPixels(3) - 2);
    sheet += u'}';
    if (sheet != sheet_) {
        sheet_ = sheet;
        bar_->setStyleSheet(sheet);
    }
}

void CTabCtrl::PlaceBar()
{
    ApplyScreenScale();
    const int height = bar_->sizeHint().height();
    bar_->setGeometry(0, this->height() - height, width(), height);
    bar_->raise();
}

} // namespace pelmora::dlg

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
    const auto sheet = [](int minHeight) {
        QString text = QStringLiteral("QTabBar::tab { padding: %1px %2px; min-width: 0px; ")
                           .arg(ScaledPixels(3))
                           .arg(ScaledPixels(7));
        if (minHeight > 0)
            text += QStringLiteral("min-height: %1px; ").arg(minHeight);
        return text + u'}';
    };
    const ScreenModel& screen = ScreenModel::Instance();
    // On a phone the tabs are a fingertip high: the style sheet's height is
    // the text's, so what the padding and frame add is measured.
    const int finger = screen.IsPhone() ? screen.FingerPixels() : 0;
    int minHeight = finger > 0 ? finger - 2 * ScaledPixels(3) : 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QString text = sheet(minHeight);
        if (text != sheet_) {
            sheet_ = text;
            bar_->setStyleSheet(text);
        }
        if (finger == 0 || bar_->count() == 0)
            return;
        const int shortBy = finger - bar_->tabRect(0).height();
        if (shortBy <= 0)
            return;
        minHeight += shortBy;
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

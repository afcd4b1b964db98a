#include "ui/MultiWnd.h"

#include "platform/framework/Dialog.h"
#include "platform/framework/ScreenModel.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QStylePainter>

namespace pelmora {

namespace {
// Set while a command is offered to a pane's content, so that content
// routing the command back here does not offer it again.
bool g_offeringCommand = false;
} // namespace

QFont CaptionFont(const QString& face, int tenthsOfPoint)
{
    QFont font(face);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(tenthsOfPoint / 10.0 * dlg::ScreenModel::Instance().DesignScale());
    return font;
}

int CMultiWnd::CaptionHeight()
{
    const dlg::ScreenModel& screen = dlg::ScreenModel::Instance();
    const int scaled = dlg::ScaledPixels(kCaptionHeight);
    return screen.IsPhone() ? std::max(scaled, screen.FingerPixels()) : scaled;
}

void PumpPendingMessages()
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::sendPostedEvents();
        if (!dispatcher || !dispatcher->processEvents(QEventLoop::AllEvents))
            break;
    }
}

CMultiWndCaption::CMultiWndCaption(CMultiWnd* owner, std::u16string_view text, const QFont& font)
    : QWidget(owner)
    , owner_(owner)
    , text_(QString::fromStdU16String(std::u16string(text)))
{
    setFont(font);
    setCursor(Qt::PointingHandCursor);
}

void CMultiWndCaption::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionHeader option;
    option.initFrom(this);
    option.rect = rect();
    option.text = text_;
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.state |= QStyle::State_Raised;
    painter.drawControl(QStyle::CE_Header, option);
}

void CMultiWndCaption::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        owner_->Tap(this);
    QWidget::mouseReleaseEvent(event);
}

CMultiWnd::CMultiWnd(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(false);
}

CMultiWnd::~CMultiWnd()
{
    // The contents belong to the window that made them; only the captions go.
    // Contents living inside the container move to its parent, hidden, so
    // they stay in the window they belong to and leave with it, instead of
    // becoming stray top-level windows. Without a parent they go with the
    // container like any child window.
    QWidget* keeper = parentWidget();
    for (CMultiWndCaption*& caption : captions_) {
        if (keeper && caption && caption->content && caption->content->parent() == this) {
            caption->content->hide();
            caption->content->setParent(keeper);
        }
        delete caption;
        caption = nullptr;
    }
}

void CMultiWnd::Reset(QColor background)
{
    active_ = nullptr;
    next_ = nullptr;
    topCount_ = 0;
    paneCount_ = 0;
    captions_.fill(nullptr);
    background_ = background;
    animate_ = 1;
    collapseAllowed_ = 1;
}

bool CMultiWnd::CreateInPlaceOf(dlg::CDialog& page, int placeholderId, int newId, QColor background)
{
    QWidget* placeholder = page.GetDlgItem(placeholderId);
    if (!placeholder)
        return false;
    const QRect rect = placeholder->geometry();
    setParent(&page);
    setGeometry(rect);
    page.ReplaceControl(placeholderId, newId, this);
    delete placeholder;
    Reset(background);
    show();
    return true;
}

CMultiWndCaption* CMultiWnd::Caption(int index) const
{
    return index >= 0 && index < kMaxPanes ? captions_[static_cast<size_t>(index)] : nullptr;
}

int CMultiWnd::IndexOf(const CMultiWndCaption* caption) const
{
    for (int i = 0; i < paneCount_; ++i)
        if (captions_[static_cast<size_t>(i)] == caption)
            return i;
    return -1;
}

QRect CMultiWnd::ContentArea() const
{
    const int top = CaptionHeight() * topCount_;
    const int bottom = height() - CaptionHeight() * (paneCount_ - topCount_);
    return QRect(0, top, width(), std::max(0, bottom - top));
}

bool CMultiWnd::AddPane(
    std::u16string_view text, QWidget* content, const QString& fontFace, int tenthsOfPoint)
{
    if (paneCount_ >= kMaxPanes || topCount_ != 0)
        return false;
    auto* caption = new CMultiWndCaption(this, text, CaptionFont(fontFace, tenthsOfPoint));
    caption->setGeometry(
        0, height() - CaptionHeight() * (paneCount_ + 1), width(), CaptionHeight());
    caption->show();
    captions_[static_cast<size_t>(paneCount_)] = caption;
    next_ = caption;
    // Hidden also when the window it sits in is not shown yet, so that it
    // does not appear with that window before its pane opens.
    if (content && !content->isHidden())
        content->hide();
    caption->content = content;
    ++paneCount_;
    return true;
}

bool CMultiWnd::SelectLastPane(bool instant)
{
    if (paneCount_ == 0)
        return false;
    if (instant)
        animate_ = 0;
    Tap(captions_[static_cast<size_t>(paneCount_ - 1)]);
    animate_ = 1;
    return true;
}

void CMultiWnd::Tap(CMultiWndCaption* caption)
{
    const int index = IndexOf(caption);
    if (index < 0)
        return;
    if (caption->open) {
        if (caption == active_) {
            if (collapseAllowed_ && topCount_ == 1)
                Close(caption);
            return;
        }
        // Close the bars below it, from the active one back up to it.
        while (active_ && active_ != caption)
            Close(active_);
        if (active_ == caption)
            ShowContent(caption);
        return;
    }
    if (caption != next_) {
        if (CMultiWndCaption* above = Caption(index + 1))
            Tap(above);
    }
    if (caption == next_)
        OpenNext(caption);
}

void CMultiWnd::OpenNext(CMultiWndCaption* caption)
{
    const int index = IndexOf(caption);
    CMultiWndCaption* previous = active_;
    SlideCaption(caption, CaptionHeight() * topCount_);
    ++topCount_;
    active_ = caption;
    next_ = Caption(index - 1);
    caption->open = 1;
    ShowContent(caption);
    if (previous && previous->content && previous != caption)
        previous->content->hide();
}

void CMultiWnd::Close(CMultiWndCaption* caption)
{
    const int index = IndexOf(caption);
    SlideCaption(caption, height() - CaptionHeight() * (paneCount_ - topCount_) - CaptionHeight());
    --topCount_;
    next_ = caption;
    CMultiWndCaption* after = Caption(index + 1);
    active_ = after && after->open ? after : nullptr;
    caption->open = 0;
    if (caption->content)
        caption->content->hide();
    if (active_)
        ShowContent(active_);
}

void CMultiWnd::ShowContent(CMultiWndCaption* caption)
{
    if (!caption || !caption->content)
        return;
    caption->content->setGeometry(ContentArea());
    caption->content->show();
    caption->content->setFocus();
}

void CMultiWnd::Place(CMultiWndCaption* caption, int top)
{
    caption->setGeometry(0, top, width(), CaptionHeight());
    if (observer_)
        observer_(caption, top);
    if (caption->isVisible())
        caption->repaint();
}

void CMultiWnd::SlideCaption(CMultiWndCaption* caption, int target)
{
    if (!animate_) {
        Place(caption, target);
        return;
    }
    const int y = caption->y();
    if (y <= target) {
        const int distance = target - y;
        for (int offset = 0; offset <= distance; offset += kSlideStep) {
            Place(caption, y + offset);
            PumpPendingMessages();
        }
    } else {
        for (int rest = y - target; rest >= 0; rest -= kSlideStep) {
            Place(caption, target + rest);
            PumpPendingMessages();
        }
    }
    Place(caption, target);
}

void CMultiWnd::LayoutBars()
{
    const int closed = paneCount_ - topCount_;
    for (int j = 0; j < closed; ++j)
        if (CMultiWndCaption* caption = Caption(j))
            caption->setGeometry(0, height() - CaptionHeight() * (j + 1), width(), CaptionHeight());
    for (int j = closed; j < paneCount_; ++j)
        if (CMultiWndCaption* caption = Caption(j))
            caption->setGeometry(0, caption->y(), width(), CaptionHeight());
    if (active_ && active_->content)
        active_->content->setGeometry(ContentArea());
}

void CMultiWnd::RecalcLayout(std::optional<QRect> rect)
{
    // Without a rectangle the container fills its parent, 1 pixel in from
    // every edge; a container without a parent keeps its own place.
    std::optional<QRect> target = rect;
    if (!target && parentWidget())
        target = parentWidget()->rect();
    if (target) {
        // The size change this move causes must not fit the container again
        // over a rectangle it was given.
        placing_ = true;
        setGeometry(target->adjusted(1, 1, -1, -1));
        placing_ = false;
    }
    LayoutBars();
}

void CMultiWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (placing_)
        LayoutBars();
    else
        RecalcLayout();
}

void CMultiWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), background_);
}

bool CMultiWnd::RouteCommand(int id)
{
    if (!active_ || !active_->content || qobject_cast<dlg::CDialog*>(active_->content)
        || g_offeringCommand)
        return false;
    auto* target = dynamic_cast<dlg::CommandTarget*>(active_->content);
    if (!target)
        return false;
    g_offeringCommand = true;
    const bool handled = target->RouteCommand(id);
    g_offeringCommand = false;
    return handled;
}

} // namespace pelmora

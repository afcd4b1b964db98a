#include "ui/PageTabCtrl.h"

#include "platform/framework/Dialog.h"

#include <QResizeEvent>

namespace pelmora {

CPageTabCtrl::CPageTabCtrl(QWidget* parent)
    : CTabCtrl(parent)
{
}

CPageTabCtrl::~CPageTabCtrl()
{
    // The pages are child windows: they go with the control.
    slots_.fill(nullptr);
}

QWidget* CPageTabCtrl::PageAt(int index) const
{
    return index >= 0 && index < kSlots ? slots_[static_cast<size_t>(index)] : nullptr;
}

int CPageTabCtrl::AddPage(int index, std::u16string_view caption, QWidget* page)
{
    if (index < 0 || index >= kSlots)
        return -1;
    slots_[static_cast<size_t>(index)] = page;
    if (page && page->isVisible())
        page->hide();
    const int tab = InsertItem(index, caption);
    if (tab < 0)
        return -1;
    // The page area: the client rectangle above this tab's row.
    const QRect client = rect();
    const QRect item = GetItemRect(tab);
    const int tabHeight = item.height();
    if (page)
        page->setGeometry(QRect(QPoint(client.left() + 2, client.top() + 1),
            QPoint(client.right() - 1, client.bottom() - tabHeight - 3)));
    if (index == 0 && current_ < 0)
        ShowSlot(0);
    return tab;
}

void CPageTabCtrl::ShowSlot(int index)
{
    if (QWidget* old = CurrentPage())
        old->hide();
    current_ = index;
    if (QWidget* page = CurrentPage())
        page->show();
}

void CPageTabCtrl::SelectPage(int index)
{
    SetCurSel(index);
    ShowSlot(index);
}

void CPageTabCtrl::OnSelChange()
{
    const int selected = GetCurSel();
    if (selected != current_)
        ShowSlot(selected);
}

void CPageTabCtrl::resizeEvent(QResizeEvent* event)
{
    CTabCtrl::resizeEvent(event);
    // Each page re-checks its orientation; the pages are not moved here.
    for (QObject* child : children())
        if (auto* page = qobject_cast<dlg::CDialog*>(child))
            page->NotifySizeChange();
}

bool CPageTabCtrl::RouteCommand(int id)
{
    return dlg::OfferCommandToParent(this, id);
}

} // namespace pelmora

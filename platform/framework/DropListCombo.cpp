#include "platform/framework/DropListCombo.h"

#include <QAbstractItemView>

namespace pelmora::dlg {

CDropListCombo::CDropListCombo(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(false);
    // A pick arrives right after the list has closed.
    connect(this, &QComboBox::activated, this, [this] { closing_ = false; });
}

void CDropListCombo::hidePopup()
{
    const bool wasShown = view() && view()->isVisible();
    QComboBox::hidePopup();
    if (!wasShown)
        return;
    closing_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!closing_)
                return;
            closing_ = false;
            Q_EMIT closedUp();
        },
        Qt::QueuedConnection);
}

} // namespace pelmora::dlg

#include "rules/RulesHolderPage.h"

#include <QCoreApplication>
#include <QResizeEvent>

namespace pelmora {

CRulesHolderPage::CRulesHolderPage(QWidget* parent)
    : COrientedPropertyPage(parent)
{
}

void CRulesHolderPage::OnSize()
{
    COrientedPropertyPage::OnSize();
    // A size change without a size: each child lays itself out again within
    // this page, in window order.
    const QObjectList children = this->children();
    for (QObject* child : children) {
        auto* window = qobject_cast<QWidget*>(child);
        if (!window || window->isWindow())
            continue;
        QResizeEvent sizeChange(QSize(0, 0), QSize(0, 0));
        QCoreApplication::sendEvent(window, &sizeChange);
    }
}

} // namespace pelmora

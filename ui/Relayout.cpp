#include "ui/Relayout.h"

#include "platform/framework/Dialog.h"
#include "platform/framework/PictureCtrl.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>

#include <map>
#include <vector>

namespace pelmora {

using namespace dlg;

namespace {

void RefreshFromItem(QWidget* control, const DialogItem& item)
{
    const QString text = QString::fromStdU16String(item.text);
    switch (item.cls) {
    case ControlClass::PushButton:
    case ControlClass::DefPushButton:
    case ControlClass::CheckBox:
    case ControlClass::AutoCheckBox:
    case ControlClass::RadioButton:
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            button->setText(text);
        break;
    case ControlClass::GroupBox:
        if (auto* box = qobject_cast<QGroupBox*>(control))
            box->setTitle(text);
        break;
    case ControlClass::Static:
        if (auto* label = qobject_cast<QLabel*>(control))
            label->setText(text);
        break;
    case ControlClass::Bitmap:
    case ControlClass::Icon:
        if (auto* picture = qobject_cast<CPictureCtrl*>(control))
            picture->SetImage(item.resource);
        break;
    case ControlClass::ListBox:
        if (auto* list = qobject_cast<QListWidget*>(control); list && list->currentRow() >= 0)
            list->setCurrentRow(list->currentRow());
        break;
    case ControlClass::ComboDropList:
        if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->currentIndex() >= 0)
            combo->setCurrentIndex(combo->currentIndex());
        break;
    default:
        break;
    }
}

} // namespace

bool RelayoutFromTemplate(CDialog& window, int templateId, bool resizeWindow)
{
    const DialogTemplate* tmpl = FindDialogTemplate(templateId);
    if (!tmpl)
        return false;
    window.RefreshScale();
    // Repaint once, after every control has moved.
    const bool updates = window.updatesEnabled();
    window.setUpdatesEnabled(false);
    // Controls that share an identifier (the static texts' -1) pair up in
    // the order both templates list them.
    std::map<int, std::vector<QWidget*>> built;
    for (const auto& [id, control] : window.Controls())
        built[id].push_back(control);
    std::map<int, size_t> taken;
    for (const DialogItem& item : tmpl->items) {
        const std::vector<QWidget*>& same = built[item.id];
        const size_t nth = taken[item.id]++;
        if (nth >= same.size())
            continue;
        QWidget* control = same[nth];
        const QRect rect = ControlRect(item, control, window.BaseUnits());
        if (item.cls == ControlClass::Bitmap || item.cls == ControlClass::Icon)
            control->move(rect.topLeft());
        else
            control->setGeometry(rect);
        control->setVisible(item.IsVisible());
        RefreshFromItem(control, item);
    }
    window.setUpdatesEnabled(updates);
    if (resizeWindow) {
        const QRect size = window.MapDialogRect(tmpl->rect);
        window.resize(size.width(), size.height());
    }
    return true;
}

} // namespace pelmora

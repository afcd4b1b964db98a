#include "platform/framework/Dialog.h"

#include "platform/framework/CommandTarget.h"
#include "platform/framework/ControlText.h"
#include "platform/framework/DropListCombo.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/PictureCtrl.h"
#include "platform/framework/ScreenModel.h"
#include "platform/framework/TabCtrl.h"
#include "platform/framework/WholeRectButton.h"
#include "platform/framework/WrappingCheckBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QTreeWidget>

namespace pelmora::dlg {

namespace {

ModalHandler& CurrentModalHandler()
{
    static ModalHandler handler;
    return handler;
}

} // namespace

QRect ControlRect(const DialogItem& item, const QWidget* control, const DialogBaseUnits& units)
{
    QRect rect = units.Map(item.rect);
    // A drop-down list's template height includes its open list; the closed
    // box is as high as its font needs.
    if (item.cls == ControlClass::ComboDropList && control)
        rect.setHeight(std::min(rect.height(), control->sizeHint().height()));
    return rect;
}

void SetModalHandler(ModalHandler handler)
{
    CurrentModalHandler() = std::move(handler);
}

CDialog::CDialog(int templateId, QWidget* parent)
    : QDialog(parent)
    , templateId_(templateId)
    , timers_(this, [this](int id) { OnTimer(id); })
{
}

CDialog::~CDialog() = default;

void CDialog::SetControlFactory(int id, std::function<QWidget*(QWidget*)> factory)
{
    factories_[id] = std::move(factory);
}

namespace {

// What a screen reader says for a control that shows no caption of its own
// (an edit, a list, a drop-down): the static text just before it in the
// template, which is its label, else the frame it lies in, else the
// dialog's title. Empty for a control with a caption.
QString SpokenName(const DialogTemplate& tmpl, size_t at)
{
    const DialogItem& item = tmpl.items[at];
    switch (item.cls) {
    case ControlClass::Edit:
    case ControlClass::ComboDropList:
    case ControlClass::ListBox:
    case ControlClass::ListView:
        break;
    default:
        return {};
    }
    const auto plain = [](const std::u16string& text) {
        QString name = QString::fromStdU16String(text).remove(u'&').trimmed();
        while (name.endsWith(u':'))
            name.chop(1);
        return name;
    };
    if (at > 0 && tmpl.items[at - 1].cls == ControlClass::Static
        && !tmpl.items[at - 1].text.empty())
        return plain(tmpl.items[at - 1].text);
    const DialogItem* frame = nullptr;
    for (const DialogItem& other : tmpl.items) {
        const DialogRect& r = other.rect;
        const bool around = r.x <= item.rect.x && r.y <= item.rect.y
            && r.x + r.cx >= item.rect.x + item.rect.cx && r.y + r.cy >= item.rect.y + item.rect.cy;
        if (other.cls == ControlClass::GroupBox && around && !other.text.empty()
            && (!frame || frame->rect.cx * frame->rect.cy > r.cx * r.cy))
            frame = &other;
    }
    return plain(frame ? frame->text : tmpl.title);
}

} // namespace

bool CDialog::Build()
{
    if (built_)
        return true;
    const DialogTemplate* tmpl = FindDialogTemplate(templateId_);
    if (!tmpl)
        return false;
    const double scale = Scale();
    setFont(DialogFontForScale(scale));
    units_ = DialogBaseUnits::Scaled(scale);
    setWindowTitle(ToQ(tmpl->title));
    QButtonGroup* radioGroup = nullptr;
    for (size_t at = 0; at < tmpl->items.size(); ++at) {
        const DialogItem& item = tmpl->items[at];
        QWidget* control = BuildControl(item, radioGroup);
        if (const QString name = SpokenName(*tmpl, at); !name.isEmpty())
            control->setAccessibleName(name);
        control->setProperty("controlId", item.id);
        control->setGeometry(ControlRect(item, control, units_));
        control->setEnabled((item.style & Disabled) == 0);
        control->setVisible(item.IsVisible());
        controls_.emplace_back(item.id, control);
        if (auto* attached = dynamic_cast<AttachedControl*>(control))
            attached->PreSubclassWindow();
    }
    const QRect size = units_.Map(tmpl->rect);
    resize(size.width(), size.height());
    built_ = true;
    return true;
}

QWidget* CDialog::BuildControl(const DialogItem& item, QButtonGroup*& radioGroup)
{
    const QString text = ToQ(item.text);
    const int id = item.id;
    if (item.style & Group)
        radioGroup = nullptr;

    if (auto factory = factories_.find(id); factory != factories_.end()) {
        QWidget* custom = factory->second(this);
        if (auto* button = qobject_cast<QAbstractButton*>(custom)) {
            button->setText(text);
            connect(button, &QAbstractButton::clicked, this, [this, id] { RouteCommand(id); });
        } else if (auto* label = qobject_cast<QLabel*>(custom)) {
            label->setText(text);
        }
        return custom;
    }

    switch (item.cls) {
    case ControlClass::PushButton:
    case ControlClass::DefPushButton: {
        auto* button = new QPushButton(text, this);
        button->setDefault(item.cls == ControlClass::DefPushButton);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, id] { RouteCommand(id); });
        return button;
    }
    case ControlClass::CheckBox:
    case ControlClass::AutoCheckBox: {
        QCheckBox* box = (item.style & Multiline)
            ? static_cast<QCheckBox*>(new CWrappingCheckBox(text, this))
            : new CWholeRectButton<QCheckBox>(text, this);
        connect(box, &QCheckBox::clicked, this, [this, id] { RouteCommand(id); });
        return box;
    }
    case ControlClass::RadioButton: {
        auto* radio = new CWholeRectButton<QRadioButton>(text, this);
        if (!radioGroup) {
            radioGroup = new QButtonGroup(this);
            radioGroup->setObjectName(QStringLiteral("radio%1").arg(id));
        }
        radioGroup->addButton(radio);
        connect(radio, &QRadioButton::clicked, this, [this, id] { RouteCommand(id); });
        return radio;
    }
    case ControlClass::GroupBox: {
        auto* box = new QGroupBox(text, this);
        box->lower();
        return box;
    }
    case ControlClass::Static: {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        Qt::Alignment align = Qt::AlignTop;
        align |= (item.style & Center) ? Qt::AlignHCenter
            : (item.style & Right)     ? Qt::AlignRight
                                       : Qt::AlignLeft;
        label->setAlignment(align);
        return label;
    }
    case ControlClass::Bitmap:
    case ControlClass::Icon: {
        auto* picture = new CPictureCtrl(this);
        picture->SetImage(item.resource);
        if (item.style & Notify)
            picture->SetOnClick([this, id] { RouteCommand(id); });
        return picture;
    }
    case ControlClass::Edit: {
        if (item.style & Multiline) {
            auto* edit = new QPlainTextEdit(this);
            edit->setReadOnly(item.style & ReadOnly);
            // Tab moves on to the next control, as in the platform's dialogs.
            edit->setTabChangesFocus(true);
            edit->setPlainText(text);
            edit->setLineWrapMode(
                (item.style & AutoHScroll) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
            connect(edit, &QPlainTextEdit::textChanged, this,
                [this, id] { OnNotify(id, ControlNotification::Change); });
            return edit;
        }
        auto* edit = new QLineEdit(text, this);
        edit->setReadOnly(item.style & ReadOnly);
        if (item.style & Number)
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
        connect(edit, &QLineEdit::textChanged, this,
            [this, id] { OnNotify(id, ControlNotification::Change); });
        return edit;
    }
    case ControlClass::ComboDropList: {
        auto* combo = new CDropListCombo(this);
        for (const std::u16string& entry : item.items)
            combo->addItem(ToQ(entry));
        combo->setCurrentIndex(-1);
        connect(combo, &QComboBox::activated, this,
            [this, id] { OnNotify(id, ControlNotification::SelChange); });
        connect(combo, &CDropListCombo::closedUp, this,
            [this, id] { OnNotify(id, ControlNotification::CloseUp); });
        return combo;
    }
    case ControlClass::ListBox: {
        auto* list = new QListWidget(this);
        for (const std::u16string& entry : item.items)
            list->addItem(ToQ(entry));
        if (item.style & Sort)
            list->setSortingEnabled(true);
        return list;
    }
    case ControlClass::ListView: {
        auto* view = new QTreeWidget(this);
        view->setRootIsDecorated(false);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setHeaderHidden(item.style & NoColumnHeader);
        view->setColumnCount(static_cast<int>(item.columns.size()));
        QStringList titles;
        for (const ListColumn& column : item.columns)
            titles << ToQ(column.title);
        view->setHeaderLabels(titles);
        for (size_t i = 0; i < item.columns.size(); ++i)
            view->setColumnWidth(static_cast<int>(i), units_.X(item.columns[i].width));
        view->header()->setStretchLastSection(false);
        return view;
    }
    case ControlClass::TabControl:
        return new CTabCtrl(this);
    }
    return new QWidget(this);
}

double CDialog::Scale() const
{
    return ScreenModel::Instance().DesignScale(
        wholeScreen_ ? ScreenModel::Surface::WholeScreen : ScreenModel::Surface::Page);
}

bool CDialog::RefreshScale()
{
    const double scale = Scale();
    const DialogBaseUnits units = DialogBaseUnits::Scaled(scale);
    if (units == units_)
        return false;
    setFont(DialogFontForScale(scale));
    units_ = units;
    return true;
}

bool CDialog::Create(QWidget* parent)
{
    setParent(parent, Qt::Widget);
    if (!Build())
        return false;
    OnInitDialog();
    return true;
}

int CDialog::DoModal()
{
    // On a phone a dialog takes the whole screen, without the main window's
    // bars, and its design is scaled for it.
    wholeScreen_ = ScreenModel::Instance().IsPhone();
    if (!Build())
        return -1;
    modal_ = true;
    result_ = IDCANCEL;
    if (wholeScreen_) {
        resize(ScreenModel::Instance().Size());
        AddTouchDone();
        connect(&ScreenModel::Instance(), &ScreenModel::Rotated, this, [this] {
            if (!modal_)
                return;
            RefreshScale();
            resize(ScreenModel::Instance().Size());
            OnTurned();
            PlaceTouchDone();
        });
    }
    OnInitDialog();
    if (CurrentModalHandler()) {
        const int answer = CurrentModalHandler()(*this);
        modal_ = false;
        return answer;
    }
    const int answer = exec();
    modal_ = false;
    return answer;
}

void CDialog::AddTouchDone()
{
    if (touchDone_ || GetDlgItem(IDOK) || GetDlgItem(IDCANCEL))
        return;
    touchDone_ = new QPushButton(QStringLiteral("Done"), this);
    touchDone_->setObjectName(QStringLiteral("touchDone"));
    // As the close button of a title bar: the dialog decides what closing
    // means (the message editor asks about unsaved text).
    connect(touchDone_, &QPushButton::clicked, this, &QWidget::close);
    PlaceTouchDone();
    touchDone_->show();
}

void CDialog::PlaceTouchDone()
{
    if (!touchDone_)
        return;
    // The corner the design leaves free: below it upright, beside it turned.
    const int finger = ScreenModel::Instance().FingerPixels();
    const int margin = finger / 4;
    const QSize size(std::max(touchDone_->sizeHint().width(), 2 * finger), finger);
    touchDone_->setGeometry(
        QRect(QPoint(width() - margin - size.width(), height() - margin - size.height()), size));
    touchDone_->raise();
}

void CDialog::EndDialog(int result)
{
    result_ = result;
    if (modal_)
        done(result);
}

bool CDialog::OnCommand(int id)
{
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(id);
        return true;
    }
    return false;
}

bool CDialog::RouteCommand(int id)
{
    if (offersToParentFirst_ && OfferCommandToParent(this, id))
        return true;
    return OnCommand(id);
}

std::optional<bool> CDialog::UpdateCommand(int id)
{
    if (offersToParentFirst_)
        if (const auto answer = OfferUpdateToParent(this, id))
            return answer;
    return OnUpdateCommand(id);
}

void CDialog::accept()
{
    RouteCommand(IDOK);
}
void CDialog::reject()
{
    RouteCommand(IDCANCEL);
}

void CDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (built_)
        OnSize();
    PlaceTouchDone();
}

void CDialog::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (enter && button && button->isVisible() && button->isEnabled() && isAncestorOf(button)) {
        button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDialog::ReplaceControl(int oldId, int newId, QWidget* widget)
{
    for (auto& [controlId, control] : controls_)
        if (controlId == oldId) {
            controlId = newId;
            control = widget;
            widget->setProperty("controlId", newId);
            return;
        }
    controls_.emplace_back(newId, widget);
}

QWidget* CDialog::GetDlgItem(int id) const
{
    for (const auto& [controlId, widget] : controls_)
        if (controlId == id)
            return widget;
    return nullptr;
}

std::u16string CDialog::GetDlgItemText(int id) const
{
    QWidget* w = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text().toStdU16String();
    if (auto* multi = qobject_cast<QPlainTextEdit*>(w))
        return MultilineText(*multi->document());
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text().toStdU16String();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text().toStdU16String();
    if (auto* box = qobject_cast<QGroupBox*>(w))
        return box->title().toStdU16String();
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText().toStdU16String();
    return {};
}

void CDialog::SetDlgItemText(int id, std::u16string_view text)
{
    QWidget* w = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(ToQ(text));
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(w))
        multi->setPlainText(ToMultiline(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(ToQ(text));
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(ToQ(text));
    else if (auto* box = qobject_cast<QGroupBox*>(w))
        box->setTitle(ToQ(text));
}

int CDialog::GetDlgItemInt(int id, bool* translated, bool isSigned) const
{
    const std::optional<int> value = ParseDialogInt(GetDlgItemText(id), isSigned);
    if (translated)
        *translated = value.has_value();
    return value.value_or(0);
}

void CDialog::SetDlgItemInt(int id, int value)
{
    SetDlgItemText(id, QString::number(value).toStdU16String());
}

void CDialog::SetLimitText(int id, int maxChars)
{
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id)))
        edit->setMaxLength(maxChars);
}

int CDialog::IsDlgButtonChecked(int id) const
{
    auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    return button && button->isChecked() ? 1 : 0;
}

void CDialog::CheckDlgButton(int id, int checked)
{
    if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id)))
        button->setChecked(checked != 0);
}

int CDialog::GetRadioValue(int firstId) const
{
    auto* first = qobject_cast<QRadioButton*>(GetDlgItem(firstId));
    if (!first || !first->group())
        return -1;
    const QList<QAbstractButton*> buttons = first->group()->buttons();
    for (int i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked())
            return i;
    return -1;
}

void CDialog::SetRadioValue(int firstId, int index)
{
    auto* first = qobject_cast<QRadioButton*>(GetDlgItem(firstId));
    if (!first || !first->group())
        return;
    const QList<QAbstractButton*> buttons = first->group()->buttons();
    if (index >= 0 && index < buttons.size()) {
        buttons[index]->setChecked(true);
        return;
    }
    first->group()->setExclusive(false);
    for (QAbstractButton* button : buttons)
        button->setChecked(false);
    first->group()->setExclusive(true);
}

int CDialog::ComboAddString(int id, std::u16string_view text)
{
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(id));
    if (!combo)
        return -1;
    const int selection = combo->currentIndex();
    combo->addItem(ToQ(text));
    // Adding an item never selects it, as with the platform's combo box.
    combo->setCurrentIndex(selection);
    return combo->count() - 1;
}

int CDialog::ComboGetCount(int id) const
{
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(id));
    return combo ? combo->count() : 0;
}

int CDialog::ComboGetCurSel(int id) const
{
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(id));
    return combo ? combo->currentIndex() : -1;
}

void CDialog::ComboSetCurSel(int id, int index)
{
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(id)))
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void CDialog::ComboSetItemData(int id, int index, uintptr_t data)
{
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(id)))
        combo->setItemData(index, QVariant::fromValue<quintptr>(data));
}

uintptr_t CDialog::ComboGetItemData(int id, int index) const
{
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(id));
    return combo ? combo->itemData(index).value<quintptr>() : 0;
}

std::u16string CDialog::ComboGetItemText(int id, int index) const
{
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(id));
    return combo ? combo->itemText(index).toStdU16String() : std::u16string();
}

void CDialog::ComboResetContent(int id)
{
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(id)))
        combo->clear();
}

int CDialog::ListBoxAddString(int id, std::u16string_view text)
{
    auto* list = qobject_cast<QListWidget*>(GetDlgItem(id));
    if (!list)
        return -1;
    auto* row = new QListWidgetItem(ToQ(text));
    list->addItem(row);
    return list->row(row);
}

int CDialog::ListBoxGetCurSel(int id) const
{
    auto* list = qobject_cast<QListWidget*>(GetDlgItem(id));
    if (!list || list->selectedItems().isEmpty())
        return -1;
    return list->row(list->selectedItems().first());
}

void CDialog::ListBoxSetCurSel(int id, int index)
{
    auto* list = qobject_cast<QListWidget*>(GetDlgItem(id));
    if (!list)
        return;
    if (index >= 0 && index < list->count())
        list->setCurrentRow(index);
    else
        list->clearSelection();
}

void CDialog::ListBoxSetItemData(int id, int index, uintptr_t data)
{
    auto* list = qobject_cast<QListWidget*>(GetDlgItem(id));
    if (list && list->item(index))
        list->item(index)->setData(Qt::UserRole, QVariant::fromValue<quintptr>(data));
}

uintptr_t CDialog::ListBoxGetItemData(int id, int index) const
{
    auto* list = qobject_cast<QListWidget*>(GetDlgItem(id));
    if (!list || !list->item(index))
        return 0;
    return list->item(index)->data(Qt::UserRole).value<quintptr>();
}

void CDialog::EnableDlgItem(int id, bool enable)
{
    if (QWidget* w = GetDlgItem(id))
        w->setEnabled(enable);
}

bool CDialog::IsDlgItemEnabled(int id) const
{
    QWidget* w = GetDlgItem(id);
    return w && w->isEnabled();
}

void CDialog::SetDlgItemReadOnly(int id, bool readOnly)
{
    QWidget* w = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setReadOnly(readOnly);
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(w))
        multi->setReadOnly(readOnly);
}

bool CDialog::IsDlgItemReadOnly(int id) const
{
    QWidget* w = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->isReadOnly();
    if (auto* multi = qobject_cast<QPlainTextEdit*>(w))
        return multi->isReadOnly();
    return false;
}

void CDialog::ShowDlgItem(int id, bool show)
{
    if (QWidget* w = GetDlgItem(id))
        w->setVisible(show);
}

bool CDialog::IsDlgItemVisible(int id) const
{
    QWidget* w = GetDlgItem(id);
    return w && !w->isHidden();
}

void CDialog::SetTimer(int id, int milliseconds)
{
    timers_.Start(id, milliseconds);
}

void CDialog::KillTimer(int id)
{
    timers_.Stop(id);
}

bool CDialog::IsTimerActive(int id) const
{
    return timers_.IsActive(id);
}

} // namespace pelmora::dlg

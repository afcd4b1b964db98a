#include "platform/framework/Dialog.h"
#include "platform/framework/DialogTemplate.h"
#include "platform/framework/WrappingCheckBox.h"
#include "resources/Resources.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace pelmora;
using namespace pelmora::dlg;

// Every template the program registers, portrait and landscape alike, built
// with the dialog font: each text must be fully visible within its control,
// no two visible controls may overlap (a group box around its members
// aside), and nothing may reach beyond the template or the phone screen.

namespace {

struct Built {
    const DialogItem* item;
    QWidget* control;
};

QString WithoutMnemonic(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'&')
            text.remove(i, 1); // "&&" keeps its second ampersand
    return text;
}

QString Describe(const DialogTemplate& tmpl, const DialogItem& item)
{
    return QStringLiteral("template %1, control %2 \"%3\"")
        .arg(tmpl.id)
        .arg(item.id)
        .arg(QString::fromStdU16String(item.text));
}

// Why a control's text does not fit, or empty when it does.
QString TextProblem(const DialogItem& item, QWidget* control)
{
    const QFontMetrics metrics(control->font());
    // A line takes the font's whole height, rounded up to full pixels.
    const int lineHeight = static_cast<int>(std::ceil(QFontMetricsF(control->font()).height()));
    QStyle* style = control->style();
    const QRect rect = control->rect();
    auto tooSmall = [](QSize need, QSize room) {
        return QStringLiteral("needs %1x%2 px, has %3x%4")
            .arg(need.width())
            .arg(need.height())
            .arg(room.width())
            .arg(room.height());
    };
    auto singleLine = [&](const QString& text, QRect room) {
        const QSize need(metrics.horizontalAdvance(WithoutMnemonic(text)), lineHeight);
        return need.width() <= room.width() && need.height() <= room.height()
            ? QString()
            : tooSmall(need, room.size());
    };
    auto wrapped = [&](const QString& text, QRect room, int flags) {
        const QSize need = metrics
                               .boundingRect(QRect(0, 0, room.width(), 100000),
                                   flags | Qt::TextWordWrap, WithoutMnemonic(text))
                               .size();
        return need.width() <= room.width() && need.height() <= room.height()
            ? QString()
            : tooSmall(need, room.size());
    };

    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return singleLine(
            button->text(), style->subElementRect(QStyle::SE_PushButtonContents, &option, button));
    }
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        if (qobject_cast<CWrappingCheckBox*>(box)) {
            const QRect indicator
                = style->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
            const int spacing = style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, box);
            const int left = indicator.right() + 1 + spacing;
            return wrapped(box->text(), QRect(left, 0, rect.width() - left, rect.height()), 0);
        }
        return singleLine(
            box->text(), style->subElementRect(QStyle::SE_CheckBoxContents, &option, box));
    }
    if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.text = radio->text();
        return singleLine(
            radio->text(), style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio));
    }
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect label
            = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        return rect.contains(label) ? QString() : tooSmall(label.size(), rect.size());
    }
    if (auto* label = qobject_cast<QLabel*>(control); label && item.cls == ControlClass::Static)
        return wrapped(label->text(), label->contentsRect(), 0);
    return {};
}

bool Overlap(const Built& a, const Built& b)
{
    const QRect ra = a.control->geometry();
    const QRect rb = b.control->geometry();
    if (!ra.intersects(rb))
        return false;
    // A group box is drawn around its members.
    if (a.item->cls == ControlClass::GroupBox && ra.contains(rb))
        return false;
    if (b.item->cls == ControlClass::GroupBox && rb.contains(ra))
        return false;
    return true;
}

} // namespace

TEST(TemplateRegistry, TheWalkSeesEveryFamily)
{
    std::vector<int> ids;
    for (const DialogTemplate* tmpl : RegisteredTemplates())
        ids.push_back(tmpl->id);
    for (int id : {IDD_PELMORA_DIALOG, IDD_LOG, IDD_LOG_L, IDD_VARIABLES, IDD_VARIABLES_L,
             IDD_RULES, IDD_RULES_L, IDD_INCLUDE_RULES, IDD_INCLUDE_RULES_L, IDD_EXCLUDE_RULES,
             IDD_EXCLUDE_RULES_L})
        EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << id;
}

TEST(TemplateLayoutAll, TextsFitAndControlsKeepApart)
{
    for (const DialogTemplate* tmpl : RegisteredTemplates()) {
        SCOPED_TRACE(QStringLiteral("template %1").arg(tmpl->id).toStdString());
        auto dialog = std::make_unique<CDialog>(tmpl->id);
        ASSERT_TRUE(dialog->Create(nullptr));
        const QRect area = dialog->MapDialogRect(tmpl->rect);
        const QSize screen = area.width() > area.height() ? QSize(320, 240) : QSize(240, 320);
        EXPECT_LE(area.width(), screen.width()) << "wider than the phone screen";
        EXPECT_LE(area.height(), screen.height()) << "higher than the phone screen";

        std::vector<Built> visible;
        const auto controls = dialog->Controls();
        ASSERT_EQ(controls.size(), tmpl->items.size());
        for (size_t i = 0; i < controls.size(); ++i) {
            const DialogItem& item = tmpl->items[i];
            if (!item.IsVisible())
                continue;
            QWidget* control = controls[i].second;
            visible.push_back({&item, control});
            EXPECT_TRUE(QRect(QPoint(0, 0), area.size()).contains(control->geometry()))
                << Describe(*tmpl, item).toStdString() << " reaches beyond the template";
            const QString problem = TextProblem(item, control);
            EXPECT_TRUE(problem.isEmpty())
                << Describe(*tmpl, item).toStdString() << ": " << problem.toStdString();
        }
        for (size_t i = 0; i < visible.size(); ++i)
            for (size_t j = i + 1; j < visible.size(); ++j)
                EXPECT_FALSE(Overlap(visible[i], visible[j]))
                    << Describe(*tmpl, *visible[i].item).toStdString() << " overlaps "
                    << Describe(*tmpl, *visible[j].item).toStdString();
    }
}

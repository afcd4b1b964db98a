#include "schedule/TimePicker.h"

#include "platform/framework/ScreenModel.h"
#include "schedule/WeeklySchedule.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QVBoxLayout>

namespace pelmora {

namespace {

constexpr int kMinuteStep = 5;

QIcon ClockIcon(int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), std::max(1.0, size / 12.0)));
    const QRectF face(size * 0.1, size * 0.1, size * 0.8, size * 0.8);
    painter.drawEllipse(face);
    painter.drawLine(face.center(), face.center() - QPointF(0, size * 0.28));
    painter.drawLine(face.center(), face.center() + QPointF(size * 0.2, 0));
    return QIcon(picture);
}

QListWidget* Column(QWidget* parent, const QString& name, int count, int step, int selected)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setAccessibleName(name);
    for (int value = 0; value < count; value += step)
        list->addItem(QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')));
    // A minute off the steps (typed, or from the options file) stays choosable.
    if (selected % step != 0) {
        list->insertItem(
            selected / step + 1, QStringLiteral("%1").arg(selected, 2, 10, QLatin1Char('0')));
        list->setCurrentRow(selected / step + 1);
    } else {
        list->setCurrentRow(selected / step);
    }
    list->scrollToItem(list->currentItem(), QAbstractItemView::PositionAtCenter);
    return list;
}

} // namespace

std::optional<int> PickTime(QWidget* parent, int minute)
{
    QDialog picker(parent);
    picker.setWindowTitle(QStringLiteral("Time"));
    picker.setObjectName(QStringLiteral("TimePicker"));
    auto* layout = new QVBoxLayout(&picker);
    auto* title = new QLabel(QStringLiteral("Hour and minute:"), &picker);
    layout->addWidget(title);
    auto* columns = new QHBoxLayout;
    QListWidget* hours = Column(&picker, QStringLiteral("Hour"), 24, 1, minute / 60);
    QListWidget* minutes = Column(&picker, QStringLiteral("Minute"), 60, kMinuteStep, minute % 60);
    columns->addWidget(hours);
    columns->addWidget(minutes);
    layout->addLayout(columns, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &picker);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &picker, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &picker, &QDialog::reject);
    layout->addWidget(buttons);
    const dlg::ScreenModel& screen = dlg::ScreenModel::Instance();
    if (screen.IsPhone())
        picker.resize(screen.Size());
    else
        picker.resize(screen.Size().width(), screen.Size().height() * 3 / 4);
    if (picker.exec() != QDialog::Accepted || !hours->currentItem() || !minutes->currentItem())
        return std::nullopt;
    return hours->currentItem()->text().toInt() * 60 + minutes->currentItem()->text().toInt();
}

void OfferTimePicker(QLineEdit* edit)
{
    QAction* pick = edit->addAction(
        ClockIcon(std::max(16, edit->height() * 2 / 3)), QLineEdit::TrailingPosition);
    pick->setObjectName(QStringLiteral("PickTime"));
    pick->setText(QStringLiteral("Choose the time"));
    QObject::connect(pick, &QAction::triggered, edit, [edit] {
        const int now = MinuteFromTyped(edit->text()).value_or(0);
        if (const std::optional<int> chosen = PickTime(edit->window(), now))
            edit->setText(MinuteText(*chosen));
    });
}

} // namespace pelmora

#include "app/PhoneSimulator.h"

#include "app/MonitorDlg.h"
#include "app/QuestionTap.h"
#include "monitor/MissedCallTexts.h"
#include "monitor/PendingReply.h"
#include "platform/sms/Outbox.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

namespace pelmora {

namespace {
constexpr int kMostRings = 99;
constexpr int kDefaultRings = 3;
// Long enough to see a reply wait for its report.
constexpr int kDeliveryDelayMs = 2000;
constexpr char16_t kNotDeliveredReason[] = u"the simulated network could not deliver it";
} // namespace

CPhoneSimulator::CPhoneSimulator(SimulatedLine& line, OutboxSmsBackend& outbox, CMonitorDlg& window)
    : QWidget(nullptr, Qt::Window)
    , line_(line)
    , outbox_(outbox)
    , window_(&window)
    , number_(new QLineEdit(this))
    , rings_(new QSpinBox(this))
    , answered_(new QCheckBox(QStringLiteral("Answered"), this))
    , noCallerId_(new QCheckBox(QStringLiteral("No caller ID"), this))
    , call_(new QPushButton(QStringLiteral("Call"), this))
    , status_(new QLabel(this))
    , sent_(new QListWidget(this))
    , notDelivered_(new QCheckBox(QStringLiteral("Next SMS not delivered"), this))
    , question_(new QLabel(this))
    , yes_(new QPushButton(QStringLiteral("Yes"), this))
    , no_(new QPushButton(QStringLiteral("No"), this))
{
    setWindowTitle(QStringLiteral("Phone simulator"));
    number_->setPlaceholderText(QStringLiteral("Caller's number"));
    rings_->setRange(0, kMostRings);
    rings_->setValue(kDefaultRings);
    status_->setWordWrap(true);
    question_->setWordWrap(true);
    question_->setTextFormat(Qt::PlainText);

    auto* callBox = new QGroupBox(QStringLiteral("Incoming call"), this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Number:"), number_);
    form->addRow(QStringLiteral("Rings:"), rings_);
    auto* callLayout = new QVBoxLayout(callBox);
    callLayout->addLayout(form);
    callLayout->addWidget(answered_);
    callLayout->addWidget(noCallerId_);
    callLayout->addWidget(call_);
    callLayout->addWidget(status_);

    auto* questionBox = new QGroupBox(QStringLiteral("Question"), this);
    auto* questionLayout = new QVBoxLayout(questionBox);
    questionLayout->addWidget(question_);
    auto* answers = new QHBoxLayout;
    answers->addWidget(yes_);
    answers->addWidget(no_);
    questionLayout->addLayout(answers);

    auto* sentBox = new QGroupBox(QStringLiteral("SMS sent"), this);
    auto* sentLayout = new QVBoxLayout(sentBox);
    sentLayout->addWidget(sent_);
    sentLayout->addWidget(notDelivered_);
    sent_->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(callBox);
    layout->addWidget(questionBox);
    layout->addWidget(sentBox, 1);

    connect(call_, &QPushButton::clicked, this, &CPhoneSimulator::PlaceCall);
    connect(number_, &QLineEdit::returnPressed, this, &CPhoneSimulator::PlaceCall);
    connect(noCallerId_, &QCheckBox::toggled, number_, &QWidget::setDisabled);
    connect(yes_, &QPushButton::clicked, this, [this] { Answer(true); });
    connect(no_, &QPushButton::clicked, this, [this] { Answer(false); });
    connect(&window, &CMonitorDlg::NotificationAdded, this,
        [this](uint id, const QString&, const QString& html) {
            if (id == kQuestionNotificationId)
                ShowQuestion(html);
        });
    connect(&window, &CMonitorDlg::NotificationRemoved, this, [this](uint id) {
        if (id == kQuestionNotificationId)
            HideQuestion();
    });
    HideQuestion();

    line_.SetListener(this);
    outbox_.SetDeliveryDelayMs(kDeliveryDelayMs);
    outbox_.SetSendListener(
        [this](uint64_t serial, std::u16string_view number, std::u16string_view text) {
            if (notDelivered_->isChecked()) {
                outbox_.FailNextDelivery(kNotDeliveredReason);
                notDelivered_->setChecked(false);
            }
            auto* item = new QListWidgetItem(
                QStringLiteral("%1: %2").arg(QString::fromStdU16String(std::u16string(number)),
                    QString::fromStdU16String(std::u16string(text))));
            item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(serial));
            sent_->addItem(item);
            sent_->scrollToBottom();
        });
    outbox_.SetReportListener([this](uint64_t serial, const SmsUpdate& report) {
        for (int row = sent_->count() - 1; row >= 0; --row) {
            QListWidgetItem* item = sent_->item(row);
            if (item->data(Qt::UserRole).toULongLong() != serial)
                continue;
            item->setText(item->text()
                + (report.status == SmsStatus::Delivered
                        ? QStringLiteral("\n(delivered)")
                        : QStringLiteral("\n(not delivered: %1)")
                              .arg(QString::fromStdU16String(report.detail))));
            return;
        }
    });
}

CPhoneSimulator::~CPhoneSimulator()
{
    line_.SetListener(nullptr);
    outbox_.SetSendListener(nullptr);
    outbox_.SetReportListener(nullptr);
    outbox_.SetDeliveryDelayMs(0);
}

void CPhoneSimulator::PlaceBeside(const QWidget& window)
{
    constexpr int kGap = 16;
    QRect placed(window.frameGeometry().topRight() + QPoint(kGap, 0), frameGeometry().size());
    // Where the window takes the whole screen (a phone's), there is no room
    // beside it: the simulator lies over its lower right corner instead,
    // always on the screen.
    if (const QScreen* screen
        = window.screen() ? window.screen() : QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        if (!room.contains(placed)) {
            placed.moveBottomRight(room.bottomRight());
            placed.moveTopLeft(
                QPoint(std::max(placed.left(), room.left()), std::max(placed.top(), room.top())));
        }
    }
    move(placed.topLeft());
}

void CPhoneSimulator::PlaceCall()
{
    const QString number = number_->text().trimmed();
    const bool withId = !noCallerId_->isChecked();
    if (withId && number.isEmpty()) {
        status_->setText(QStringLiteral("Type the caller's number, or tick No caller ID."));
        return;
    }
    dropped_ = false;
    const uint32_t rung = line_.RunCall(
        withId ? std::optional<std::u16string>(number.toStdU16String()) : std::nullopt,
        static_cast<uint32_t>(rings_->value()), answered_->isChecked());
    const QString caller = withId ? number : QStringLiteral("A caller without ID");
    const QString rang
        = rung == 1 ? QStringLiteral("1 ring") : QStringLiteral("%1 rings").arg(rung);
    status_->setText(
        QStringLiteral("%1: %2, %3.")
            .arg(caller, rang,
                dropped_                     ? QStringLiteral("then Pelmora hung up")
                    : answered_->isChecked() ? QStringLiteral("then answered")
                                             : QStringLiteral("then the caller hung up")));
}

void CPhoneSimulator::Answer(bool yes)
{
    // Taps what the user would tap, so a question nobody could see any more
    // is not answered from here either.
    if (window_ && TapQuestionAnswer(*window_, yes) == QuestionTap::NothingOpen)
        status_->setText(QStringLiteral("No question is open: nothing to answer."));
}

void CPhoneSimulator::OnDrop(CallId)
{
    dropped_ = true;
}

void CPhoneSimulator::OnPlaceCall(std::u16string_view number)
{
    status_->setText(QStringLiteral("Pelmora asked the phone to call %1.")
                         .arg(QString::fromStdU16String(std::u16string(number))));
}

void CPhoneSimulator::ShowQuestion(const QString& html)
{
    const std::optional<QuestionFields> fields = ParseQuestionHtml(html.toStdU16String());
    question_->setText(fields ? QStringLiteral("Send an SMS to %1 (%2)?\n%3")
                                    .arg(QString::fromStdU16String(fields->number),
                                        QString::fromStdU16String(fields->shownName),
                                        QString::fromStdU16String(fields->message))
                              : QStringLiteral("Send the SMS?"));
    yes_->setEnabled(true);
    no_->setEnabled(true);
}

void CPhoneSimulator::HideQuestion()
{
    question_->setText(QStringLiteral("No question is open."));
    yes_->setEnabled(false);
    no_->setEnabled(false);
}

} // namespace pelmora

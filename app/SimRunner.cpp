#include "app/SimRunner.h"

#include "app/MonitorDlg.h"
#include "app/QuestionTap.h"
#include "control/ControlService.h"
#include "messages/MainPage.h"
#include "monitor/MissedCallTexts.h"
#include "monitor/PendingReply.h"
#include "platform/ActiveBackends.h"
#include "platform/contacts/AddressBookChoice.h"
#include "platform/contacts/VCardAddressBook.h"
#include "platform/framework/Dialog.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/ScreenModel.h"
#include "platform/shell/Notifications.h"
#include "platform/shell/ShellServices.h"
#include "platform/sms/Outbox.h"
#include "resources/Resources.h"
#include "rules/ExcludeRulesPage.h"
#include "rules/IncludeRulesPage.h"
#include "rules/ProfilePage.h"
#include "ui/LogListCtrl.h"
#include "ui/LogPage.h"
#include "ui/PersistentListCtrl.h"
#include "ui/ShellHelpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextDocumentFragment>
#include <QValidator>

namespace pelmora {

namespace {

// A bus that is never connected: no notification service, no modem.
QDBusConnection NoBus()
{
    return QDBusConnection(QStringLiteral("pelmora-sim-no-bus"));
}

std::u16string U(const QString& text)
{
    return text.toStdU16String();
}

int TemplateOf(sim::Page page)
{
    switch (page) {
    case sim::Page::Main:
        return IDD_MAIN;
    case sim::Page::Profile:
        return IDD_PROFILE;
    case sim::Page::Log:
        return IDD_LOG;
    case sim::Page::Include:
        return IDD_INCLUDE_RULES;
    case sim::Page::Exclude:
        return IDD_EXCLUDE_RULES;
    }
    return 0;
}

std::u16string Target(const sim::Command& command)
{
    return std::u16string(sim::PageName(command.page)) + u"."
        + U(QString::number(command.controlId));
}

// A tap in the middle of a widget that is not a button (a picture).
void Tap(QWidget* widget)
{
    const QPointF center = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(center);
    QMouseEvent press(
        QEvent::MouseButtonPress, center, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(
        QEvent::MouseButtonRelease, center, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

} // namespace

SimRunner::SimRunner(Setup setup, std::ostream& out, std::ostream& err)
    : setup_(std::move(setup))
    , out_(out)
    , err_(err)
    , clock_(setup_.clockMs)
{
    SetTimerService(&clock_);
    NotificationCenter::Instance().SetBus(NoBus());

    BackendRequest request;
    request.backend = QStringLiteral("simulated");
    request.dataDir = setup_.dataDir;
    QString error;
    backends_ = ActiveBackends::Choose(request, &error, NoBus());
    backends_->Simulated()->SetListener(this);
    backends_->Outbox()->SetClock(
        [this] { return QDateTime::fromMSecsSinceEpoch(clock_.NowMs()); });
    backends_->Outbox()->SetSendListener(
        [this](uint64_t serial, std::u16string_view number, std::u16string_view text) {
            Print({u"sms", number, text});
            reportNumbers_[serial] = number;
            if (deliveryFailure_)
                backends_->Outbox()->FailNextDelivery(*deliveryFailure_);
        });
    // Each report follows its SMS at once, so a script's output stays in order.
    backends_->Outbox()->SetDeliveryDelayMs(-1);
    backends_->Outbox()->SetReportListener([this](uint64_t serial, const SmsUpdate& report) {
        const std::u16string number = std::move(reportNumbers_[serial]);
        reportNumbers_.erase(serial);
        if (report.status == SmsStatus::Delivered)
            Print({u"delivery", number, u"delivered"});
        else
            Print({u"delivery", number, u"failed", report.detail});
    });

    // A script plays on the simulated screen (its "rotate" turns it), even
    // inside a phone's shell, unless it asked for a phone's own screen.
    dlg::ScreenModel::Instance().Choose(
        setup_.phone ? ScreenChoice::Phone : ScreenChoice::Simulated);

    book_ = setup_.contacts ? std::make_unique<VCardAddressBook>(*setup_.contacts)
                            : ChooseAddressBook(setup_.dataDir);
    SetAddressBook(book_.get());

    dlg::SetMessageBoxHandler([this](const dlg::MessageBoxCall& call) {
        const bool question = call.buttons == dlg::MessageButtons::YesNo;
        sim::BoxAnswer answer = question ? sim::BoxAnswer::No : sim::BoxAnswer::Ok;
        if (!replies_.empty()) {
            // An OK box has only its OK; a question takes yes or no.
            if (question && replies_.front() == sim::BoxAnswer::Yes)
                answer = sim::BoxAnswer::Yes;
            replies_.pop_front();
        }
        Print({u"box", call.title, call.text, sim::BoxAnswerName(answer)});
        return answer == sim::BoxAnswer::Yes ? dlg::IDYES
            : answer == sim::BoxAnswer::No   ? dlg::IDNO
                                             : dlg::IDOK;
    });
    // Dialogs and the help viewer are not simulated: they close at once.
    dlg::SetModalHandler([this](dlg::CDialog& dialog) {
        err_ << "pelmora-sim: the dialog \"" << dialog.windowTitle().toStdString()
             << "\" is not simulated; closed with Cancel\n";
        return dlg::IDCANCEL;
    });
    SetProcessLauncher([this](const std::u16string&, const std::u16string& commandLine) {
        err_ << "pelmora-sim: the help viewer is not started ("
             << QString::fromStdU16String(commandLine).toStdString() << ")\n";
        return true;
    });
}

SimRunner::~SimRunner()
{
    CloseWindow();
    SetProcessLauncher(nullptr);
    dlg::SetModalHandler(nullptr);
    dlg::SetMessageBoxHandler(nullptr);
    SetAddressBook(nullptr);
    if (backends_) {
        backends_->Simulated()->SetListener(nullptr);
        backends_->Outbox()->SetSendListener(nullptr);
        backends_->Outbox()->SetReportListener(nullptr);
    }
    backends_.reset();
    SetTimerService(nullptr);
}

sim::ControlLookup SimRunner::TemplateControls()
{
    return [](sim::Page page, int id) -> std::optional<sim::ControlKind> {
        const dlg::DialogTemplate* tmpl = dlg::FindDialogTemplate(TemplateOf(page));
        const dlg::DialogItem* item = tmpl ? tmpl->FindItem(id) : nullptr;
        if (!item)
            return std::nullopt;
        using dlg::ControlClass;
        switch (item->cls) {
        case ControlClass::PushButton:
        case ControlClass::DefPushButton:
            return sim::ControlKind::Button;
        case ControlClass::CheckBox:
        case ControlClass::AutoCheckBox:
            return sim::ControlKind::CheckBox;
        case ControlClass::RadioButton:
            return sim::ControlKind::RadioButton;
        case ControlClass::ComboDropList:
            return sim::ControlKind::ComboBox;
        case ControlClass::Edit:
            return sim::ControlKind::Edit;
        case ControlClass::ListView:
            return sim::ControlKind::List;
        case ControlClass::Bitmap:
        case ControlClass::Icon:
            return (item->style & dlg::Notify) ? sim::ControlKind::ClickablePicture
                                               : sim::ControlKind::Other;
        default:
            return sim::ControlKind::Other;
        }
    };
}

void SimRunner::Print(std::initializer_list<std::u16string_view> fields)
{
    out_ << sim::OutputLine(fields);
}

void SimRunner::Note(const sim::Command& command, const QString& what)
{
    err_ << "pelmora-sim: line " << command.line << ": " << what.toStdString() << '\n';
}

void SimRunner::OnDrop(CallId)
{
    Print({u"hangup", callNumber_});
}

void SimRunner::OnPlaceCall(std::u16string_view number)
{
    Print({u"dial", number});
}

bool SimRunner::OpenWindow()
{
    dialog_ = std::make_unique<CMonitorDlg>(setup_.dataDir);
    dialog_->SetClock([this] { return clock_.NowSeconds(); });
    connect(dialog_.get(), &CMonitorDlg::NotificationAdded, this,
        [this](uint id, const QString&, const QString& html) {
            if (id != kQuestionNotificationId)
                return;
            const std::optional<QuestionFields> question = ParseQuestionHtml(U(html));
            if (question)
                Print({u"bubble", question->number, question->shownName, question->message});
            else
                Print({u"bubble", u"", u"", U(html)});
        });
    connect(dialog_.get(), &CMonitorDlg::NotificationRemoved, this, [this](uint id) {
        if (id == kQuestionNotificationId)
            Print({u"unbubble"});
    });
    connect(dialog_.get(), &QDialog::finished, this, [this] { ended_ = true; });
    // The script's clock decides: the files are read once, at the start.
    if (setup_.calendar)
        dialog_->Session().SetCalendar(CalendarFeed::FromFiles(*setup_.calendar, 0));
    connect(&dialog_->Session(), &MonitoringSession::ScheduleActed, this,
        [this](const QString& what, const QString& value) {
            Print({U(what), U(value)});
        });
    connect(dialog_.get(), &CMonitorDlg::NotificationAdded, this,
        [this](uint id, const QString&, const QString& html) {
            if (id == kScheduleNotice || id == kHistoryProblemNotice || id == kCalendarNotice)
                Print({u"notice", U(QTextDocumentFragment::fromHtml(html).toPlainText())});
        });
    ended_ = false;
    if (!dialog_->Create(nullptr) || !dialog_->MainPage())
        return false;
    control_ = std::make_unique<ControlService>(dialog_->Session());
    dialog_->show();
    QApplication::processEvents();
    return true;
}

void SimRunner::CloseWindow()
{
    if (!dialog_)
        return;
    // As at the program's end: the window saves everything as it goes, and
    // the bubble it left goes with the process.
    control_.reset();
    dialog_.reset();
    RemoveNotification(kQuestionNotificationId);
    QApplication::processEvents();
    // Without an event loop, windows closed for good are deleted here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int SimRunner::Run(const std::vector<sim::Command>& commands)
{
    if (!OpenWindow()) {
        err_ << "pelmora-sim: the main window could not be built\n";
        CloseWindow();
        return 1;
    }
    int status = 0;
    for (size_t i = 0; i < commands.size(); ++i) {
        Execute(commands[i]);
        QApplication::processEvents();
        out_.flush();
        if (ended_ && i + 1 < commands.size()) {
            err_ << "pelmora-sim: line " << commands[i].line
                 << ": Pelmora ended here; the rest of the script was not run\n";
            status = 1;
            break;
        }
    }
    if (!replies_.empty())
        err_ << "pelmora-sim: " << replies_.size() << " reply answer(s) were not used\n";
    Dump();
    out_.flush();
    CloseWindow();
    return status;
}

dlg::CDialog* SimRunner::PageOf(sim::Page page) const
{
    switch (page) {
    case sim::Page::Main:
        return dialog_->MainPage();
    case sim::Page::Profile:
        return dialog_->ProfilePage();
    case sim::Page::Log:
        return dialog_->LogPage();
    case sim::Page::Include:
        return dialog_->IncludePage();
    case sim::Page::Exclude:
        return dialog_->ExcludePage();
    }
    return nullptr;
}

void SimRunner::Execute(const sim::Command& command)
{
    using Kind = sim::Command::Kind;
    switch (command.kind) {
    case Kind::Start:
    case Kind::Stop: {
        sim::Command press = command;
        press.page = sim::Page::Main;
        press.controlId = CMainPage::IDC_START_STOP;
        press.control = sim::ControlKind::Button;
        Click(press);
        break;
    }
    case Kind::Call:
        callNumber_ = command.noCallerId ? std::u16string() : command.text;
        backends_->Simulated()->RunCall(
            command.noCallerId ? std::nullopt : std::optional<std::u16string>(command.text),
            command.rings, command.answered);
        callNumber_.clear();
        break;
    case Kind::Answer:
        if (TapQuestionAnswer(*dialog_, command.yes) == QuestionTap::NothingOpen)
            Note(command, QStringLiteral("no question is open: nothing to answer"));
        break;
    case Kind::Advance:
        clock_.Advance(command.milliseconds);
        break;
    case Kind::Delivery:
        deliveryFailure_ = command.on ? std::nullopt : std::optional(command.text);
        break;
    case Kind::Set:
        Set(command);
        break;
    case Kind::Click:
        Click(command);
        break;
    case Kind::Menu:
        // The log's pop-up menu belongs to the Log page, as a tap there does.
        if (command.number == CLogListCtrl::ID_DELETE_ENTRY
            || command.number == CLogListCtrl::ID_CALL_NUMBER)
            dialog_->LogPage()->RouteCommand(command.number);
        else
            dialog_->RouteCommand(command.number);
        break;
    case Kind::Reply:
        replies_.push_back(command.reply);
        break;
    case Kind::Rotate:
        dlg::ScreenModel::Instance().Rotate();
        break;
    case Kind::Screenshot:
        Screenshot(command);
        break;
    case Kind::Restart:
        CloseWindow();
        if (!OpenWindow())
            Note(command, QStringLiteral("the main window could not be built again"));
        break;
    case Kind::Autostart:
        // What a start at login does once its window shows.
        dialog_->FireTimerForTesting(CMonitorDlg::kAutoStartTimer);
        break;
    case Kind::Dump:
        Dump();
        break;
    case Kind::Tab:
        dialog_->SelectPage(command.number);
        break;
    case Kind::Control:
        Control(command);
        break;
    }
}

void SimRunner::Control(const sim::Command& command)
{
    using Request = sim::Command::Request;
    std::u16string_view action;
    QString warning;
    switch (command.request) {
    case Request::Status: {
        const ControlState state = dialog_->Session().ReadControlState();
        Print({u"status", state.monitoring ? u"on" : u"off", U(QString::number(state.sentCount)),
            U(state.activeProfile),
            U(state.pendingQuestion.value(QStringLiteral("number")).toString())});
        return;
    }
    case Request::Start:
        action = u"start";
        warning = control_->Start();
        break;
    case Request::Stop:
        action = u"stop";
        control_->Stop();
        break;
    case Request::Profile:
        action = u"profile";
        control_->SetActiveProfile(QString::fromStdU16String(command.text));
        break;
    case Request::Interactive:
        action = u"interactive";
        control_->SetInteractive(command.on);
        break;
    case Request::Answer:
        action = u"answer";
        // As the command line does: the question read now, unless one is named.
        control_->AnswerQuestion(command.number > 0
                ? static_cast<uint>(command.number)
                : control_->PendingQuestion().value(QStringLiteral("id")).toUInt(),
            command.yes);
        break;
    case Request::Quit:
        action = u"quit";
        control_->Quit();
        break;
    case Request::Pause:
        action = u"pause";
        control_->PauseSchedule(QString::fromStdU16String(command.text));
        break;
    case Request::Resume:
        action = u"resume";
        control_->ResumeSchedule();
        break;
    }
    const QString& refusal = control_->LastRefusal();
    Print({u"control", action, refusal.isEmpty() ? std::u16string(u"ok") : U(refusal)});
    if (!warning.isEmpty())
        Print({u"warning", U(warning)});
}

void SimRunner::Set(const sim::Command& command)
{
    dlg::CDialog* page = PageOf(command.page);
    QWidget* control = page ? page->GetDlgItem(command.controlId) : nullptr;
    const QString target = QString::fromStdU16String(Target(command));
    if (!control) {
        Note(command, QStringLiteral("%1 does not exist now; nothing happens").arg(target));
        return;
    }
    if (!control->isEnabled() || control->isHidden()) {
        Note(command, QStringLiteral("%1 is disabled or hidden; nothing happens").arg(target));
        return;
    }
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        // A tap turns it; one that shows the wanted state is left alone.
        if (box->isChecked() != command.on)
            box->click();
    } else if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        radio->click();
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (command.number >= combo->count()) {
            Note(command,
                QStringLiteral("%1 has %2 items; nothing happens").arg(target).arg(combo->count()));
            return;
        }
        // Picked from the list: the page hears of it as of a user's pick.
        combo->setCurrentIndex(command.number);
        Q_EMIT combo->activated(command.number);
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        QString text = QString::fromStdU16String(command.text);
        int position = 0;
        if (line->isReadOnly()
            || (line->validator()
                && line->validator()->validate(text, position) != QValidator::Acceptable)) {
            Note(
                command, QStringLiteral("%1 does not take this text; nothing happens").arg(target));
            return;
        }
        line->setText(text);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) {
        if (edit->isReadOnly()) {
            Note(command, QStringLiteral("%1 is read-only; nothing happens").arg(target));
            return;
        }
        edit->setPlainText(QString::fromStdU16String(command.text));
    } else if (auto* list = dynamic_cast<CPersistentListCtrl*>(control)) {
        // A tap and hold on the row, which the pop-up menu's commands act on.
        if (command.number >= list->topLevelItemCount()) {
            Note(command,
                QStringLiteral("%1 has %2 rows; nothing happens")
                    .arg(target)
                    .arg(list->topLevelItemCount()));
            return;
        }
        list->setCurrentItem(list->topLevelItem(command.number));
        list->SetSelectionMark(command.number);
    } else {
        Note(command, QStringLiteral("%1 cannot be set; nothing happens").arg(target));
    }
}

void SimRunner::Click(const sim::Command& command)
{
    dlg::CDialog* page = PageOf(command.page);
    QWidget* control = page ? page->GetDlgItem(command.controlId) : nullptr;
    const QString target = QString::fromStdU16String(Target(command));
    if (!control || !control->isEnabled() || control->isHidden()) {
        Note(command,
            QStringLiteral("%1 is missing, disabled or hidden; nothing happens").arg(target));
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->click();
    else
        Tap(control);
}

void SimRunner::Screenshot(const sim::Command& command)
{
    QApplication::processEvents();
    QPixmap picture = dialog_->grab();
    // The in-application bubble is a window of its own over the main window.
    QPainter painter(&picture);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != dialog_.get() && window->isVisible()
            && window->objectName() == QStringLiteral("NotificationBubble"))
            painter.drawPixmap(window->pos() - dialog_->pos(), window->grab());
    painter.end();
    const std::filesystem::path file
        = setup_.screenshots / (QString::fromStdU16String(command.text + u".png").toStdString());
    if (!picture.save(QString::fromStdString(file.string()), "PNG"))
        Note(command, QStringLiteral("%1 could not be written").arg(QString::fromStdString(file)));
}

void SimRunner::Dump()
{
    if (CLogListCtrl* list = dialog_ ? dialog_->LogList() : nullptr)
        for (int row = 0; row < list->RowCount(); ++row)
            Print({u"log", list->RowText(row, CLogListCtrl::Number),
                list->RowText(row, CLogListCtrl::Caller), list->RowText(row, CLogListCtrl::Time),
                list->RowText(row, CLogListCtrl::Rings),
                list->RowText(row, CLogListCtrl::SmsSent)});
    const std::u16string sent = dialog_ && dialog_->MainPage()
        ? dialog_->MainPage()->GetDlgItemText(CMainPage::IDC_SENT_COUNT)
        : std::u16string();
    Print({u"sent", sent});
}

} // namespace pelmora

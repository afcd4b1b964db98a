#include "platform/framework/MessageBox.h"

#include "platform/framework/DialogUnits.h"
#include "platform/framework/ScreenModel.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QVBoxLayout>

#include <utility>

namespace pelmora::dlg {

namespace {
MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}
} // namespace

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    Handler() = std::move(handler);
}

ScopedMessageBoxCapture::ScopedMessageBoxCapture()
    : previous_(std::exchange(Handler(), [this](const MessageBoxCall& call) {
        texts_.push_back(call.text);
        return call.buttons == MessageButtons::YesNo ? IDNO : IDOK;
    }))
{
}

ScopedMessageBoxCapture::~ScopedMessageBoxCapture()
{
    Handler() = std::move(previous_);
}

std::u16string AppTitle()
{
    return u"Pelmora";
}

std::unique_ptr<QDialog> BuildMessageBox(QWidget* owner, const MessageBoxCall& call)
{
    auto box = std::make_unique<QDialog>(owner);
    QDialog* dialog = box.get();
    dialog->setWindowTitle(QString::fromStdU16String(call.title));
    dialog->setFont(DialogFont());
    auto* layout = new QVBoxLayout(dialog);
    // A phone shell draws no title bar: the title heads the box instead.
    if (ScreenModel::Instance().IsPhone() && !call.title.empty()) {
        auto* title = new QLabel(QString::fromStdU16String(call.title), dialog);
        title->setObjectName(QStringLiteral("title"));
        title->setTextFormat(Qt::PlainText);
        title->setWordWrap(true);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        layout->addWidget(title);
    }
    auto* text = new QLabel(QString::fromStdU16String(call.text), dialog);
    text->setObjectName(QStringLiteral("text"));
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    layout->addWidget(text, 1);
    const bool question = call.buttons == MessageButtons::YesNo;
    auto* buttons = new QDialogButtonBox(
        question ? QDialogButtonBox::Yes | QDialogButtonBox::No : QDialogButtonBox::Ok, dialog);
    layout->addWidget(buttons);
    // Enter answers No to a question, as the platform's default button did.
    QPushButton* preferred
        = buttons->button(question ? QDialogButtonBox::No : QDialogButtonBox::Ok);
    preferred->setDefault(true);
    preferred->setFocus();
    const int closed = question ? IDNO : IDOK;
    QObject::connect(buttons, &QDialogButtonBox::clicked, dialog,
        [dialog, buttons, closed](QAbstractButton* button) {
            dialog->done(buttons->standardButton(button) == QDialogButtonBox::Yes ? IDYES : closed);
        });
    // The screen's width, and as high as the wrapped text needs.
    const QSize screen = ScreenModel::Instance().Size();
    dialog->setFixedWidth(screen.width());
    dialog->setFixedHeight(std::min(screen.height(), layout->totalHeightForWidth(screen.width())));
    return box;
}

int MessageBox(
    QWidget* owner, std::u16string_view text, std::u16string_view title, MessageButtons buttons)
{
    MessageBoxCall call {
        std::u16string(text), title.empty() ? AppTitle() : std::u16string(title), buttons};
    if (Handler())
        return Handler()(call);
    const std::unique_ptr<QDialog> box = BuildMessageBox(owner, call);
    const int answer = box->exec();
    return answer == IDYES || answer == IDNO || answer == IDOK ? answer
        : buttons == MessageButtons::YesNo                     ? IDNO
                                                               : IDOK;
}

} // namespace pelmora::dlg

#include "platform/framework/MessageBox.h"

#include <QMessageBox>
#include <QString>

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

int MessageBox(
    QWidget* owner, std::u16string_view text, std::u16string_view title, MessageButtons buttons)
{
    MessageBoxCall call {
        std::u16string(text), title.empty() ? AppTitle() : std::u16string(title), buttons};
    if (Handler())
        return Handler()(call);

    QMessageBox box(owner);
    box.setWindowTitle(QString::fromStdU16String(call.title));
    box.setText(QString::fromStdU16String(call.text));
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setIcon(QMessageBox::Question);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
}

} // namespace pelmora::dlg

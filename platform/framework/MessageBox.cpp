#include "platform/framework/MessageBox.h"

#include <QMessageBox>
#include <QString>

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

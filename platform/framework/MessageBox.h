#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace pelmora::dlg {

enum class MessageButtons { Ok, YesNo };

// Answers of message boxes and modal dialogs, with the platform's values.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct MessageBoxCall {
    std::u16string text;
    std::u16string title;
    MessageButtons buttons = MessageButtons::Ok;
};

// Shows a message box owned by `owner` and returns the button pressed. An
// empty title stands for the application title.
int MessageBox(QWidget* owner, std::u16string_view text, std::u16string_view title = {},
    MessageButtons buttons = MessageButtons::Ok);

// The box as the user sees it, built but not shown: the dialog font, as wide
// as the screen the program lays itself out for, the text wrapped; its
// result is the button's value.
std::unique_ptr<QDialog> BuildMessageBox(QWidget* owner, const MessageBoxCall& call);

// Tests answer message boxes without a display and without a nested event
// loop: while a handler is installed it receives every call instead.
using MessageBoxHandler = std::function<int(const MessageBoxCall&)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

// Keeps the message boxes of a request nobody is looking at (a script's,
// over the bus) off the screen: while it lives each box is recorded instead
// of shown and answered OK or No; the handler before it comes back after.
class ScopedMessageBoxCapture final {
public:
    ScopedMessageBoxCapture();
    ~ScopedMessageBoxCapture();
    ScopedMessageBoxCapture(const ScopedMessageBoxCapture&) = delete;
    ScopedMessageBoxCapture& operator=(const ScopedMessageBoxCapture&) = delete;

    // The texts of the boxes, in the order they came.
    const std::vector<std::u16string>& Texts() const { return texts_; }

private:
    MessageBoxHandler previous_;
    std::vector<std::u16string> texts_;
};

// The application title used by message boxes that name none: the program
// file's name without its extension.
std::u16string AppTitle();

} // namespace pelmora::dlg

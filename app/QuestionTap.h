#pragma once

namespace pelmora {

class CMonitorDlg;

enum class QuestionTap {
    Bubble, // the program's own bubble's button
    Notification, // the notification service's action
    NothingOpen, // no question could be seen, so nothing was tapped
};

// Answers the open question as its user would: taps Yes or No on the bubble
// (first opening it again from the window's indicator, or from the tray icon
// while the window is hidden, when it has folded away) or on the
// notification the service shows. The simulators answer through this, so
// they can answer only what a user could.
QuestionTap TapQuestionAnswer(CMonitorDlg& window, bool yes);

} // namespace pelmora

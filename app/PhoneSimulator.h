#pragma once

#include "platform/telephony/SimulatedLine.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace pelmora {

class CMonitorDlg;
class OutboxSmsBackend;

// The desktop's stand-in for the phone around Pelmora: a small window beside
// the phone screen that places calls on the simulated line, lists the SMS
// that went out through the outbox and answers the open question (tapping
// the bubble's or the notification's button), for desktops whose
// notifications hide or drop the bubble's buttons. It plays the network too:
// each SMS's delivery report follows after a moment, and the next one can be
// made to fail. It exists
// only on the simulated line.
class CPhoneSimulator final : public QWidget, private SimulatedLine::Listener {
    Q_OBJECT
public:
    CPhoneSimulator(SimulatedLine& line, OutboxSmsBackend& outbox, CMonitorDlg& window);
    ~CPhoneSimulator() override;

    // Puts this window to the right of `window`.
    void PlaceBeside(const QWidget& window);

    QLineEdit* NumberEdit() const { return number_; }
    QSpinBox* RingsBox() const { return rings_; }
    QCheckBox* AnsweredBox() const { return answered_; }
    QCheckBox* NoCallerIdBox() const { return noCallerId_; }
    QPushButton* CallButton() const { return call_; }
    QListWidget* SentList() const { return sent_; }
    QCheckBox* NotDeliveredBox() const { return notDelivered_; }
    QLabel* Question() const { return question_; }
    QPushButton* YesButton() const { return yes_; }
    QPushButton* NoButton() const { return no_; }
    QLabel* Status() const { return status_; }

private:
    void OnDrop(CallId call) override;
    void OnPlaceCall(std::u16string_view number) override;
    void PlaceCall();
    void Answer(bool yes);
    void ShowQuestion(const QString& html);
    void HideQuestion();

    SimulatedLine& line_;
    OutboxSmsBackend& outbox_;
    QPointer<CMonitorDlg> window_;
    QLineEdit* number_;
    QSpinBox* rings_;
    QCheckBox* answered_;
    QCheckBox* noCallerId_;
    QPushButton* call_;
    QLabel* status_;
    QListWidget* sent_;
    QCheckBox* notDelivered_;
    QLabel* question_;
    QPushButton* yes_;
    QPushButton* no_;
    bool dropped_ = false;
};

} // namespace pelmora

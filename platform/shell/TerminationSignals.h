#pragma once

#include <QObject>

class QSocketNotifier;

namespace pelmora {

// Logout and shutdown end a session's programs with SIGTERM or SIGHUP, a
// terminal with SIGINT. While an object of this class lives, those signals
// no longer end the program on the spot: the handler only writes the
// signal's number into a pipe, and the event loop reads it and tells
// `Received`, so the program can end its normal way and save. A second
// signal of the three ends it at once, should that way hang. One object at a
// time.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe or a handler could not be set up.
    bool IsActive() const { return notifier_ != nullptr; }

Q_SIGNALS:
    void Received(int signal);

private:
    void OnReadable();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace pelmora

#pragma once

#include <QObject>

class QSocketNotifier;

namespace pelmora {

// Logout and shutdown end a session's programs with SIGTERM or SIGHUP, a
// terminal with SIGINT. While an object of this class lives, those signals
// no longer end the program on the spot: the handler only writes the
// signal's number into a pipe, and the event loop reads it and tells
// `Received` once, so the program can end its normal way and save. Further
// signals wait for that save (a session manager often sends two); only one
// that comes `kPatienceSeconds` after the first ends the program at once,
// should that way hang. One object at a time.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    static constexpr long kPatienceSeconds = 10;

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

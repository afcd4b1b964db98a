#include "platform/shell/TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace pelmora {

namespace {

constexpr std::array kSignals = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};
// When the first signal came (monotonic seconds), 0 before.
volatile sig_atomic_t g_first = 0;

void SetAction(void (*handler)(int));

long Now()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long>(now.tv_sec) + 1;
}

void OnSignal(int signal)
{
    // Only what is safe in a signal handler: a write, a clock, errno kept.
    const int saved = errno;
    const long now = Now();
    if (g_first == 0) {
        g_first = static_cast<sig_atomic_t>(now);
        const char number = static_cast<char>(signal);
        [[maybe_unused]] const ssize_t written = write(g_pipe[1], &number, 1);
    } else if (now - g_first >= TerminationSignals::kPatienceSeconds) {
        // The end has hung: this one ends the program as the signal would.
        SetAction(SIG_DFL);
        raise(signal);
    }
    // Sooner, the end under way is saving: it is let finish.
    errno = saved;
}

void SetAction(void (*handler)(int))
{
    struct sigaction action { };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    if (g_pipe[0] >= 0 || pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);
    SetAction(&OnSignal);
}

TerminationSignals::~TerminationSignals()
{
    if (!notifier_)
        return;
    SetAction(SIG_DFL);
    g_first = 0;
    delete notifier_;
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::OnReadable()
{
    char number = 0;
    if (read(g_pipe[0], &number, 1) != 1)
        return;
    Q_EMIT Received(number);
}

} // namespace pelmora

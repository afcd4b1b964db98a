#include "platform/shell/TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace pelmora {

namespace {

constexpr std::array kSignals = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};

void OnSignal(int signal)
{
    // Only what is safe in a signal handler: one write, errno kept.
    const int saved = errno;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &number, 1);
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
    SetAction(SIG_DFL);
    Q_EMIT Received(number);
}

} // namespace pelmora

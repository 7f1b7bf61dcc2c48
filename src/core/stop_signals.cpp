#include "core/stop_signals.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{}

StopSignals::~StopSignals()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (const int signalNumber : std::as_const(m_installed))
        ::sigaction(signalNumber, &action, nullptr);
    m_notifier.reset();
    for (int &end : s_pipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

bool StopSignals::install(std::initializer_list<int> signalNumbers)
{
    if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StopSignals::drain);

    struct sigaction action = {};
    action.sa_handler = &StopSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : signalNumbers) {
        if (::sigaction(signalNumber, &action, nullptr) != 0)
            return false;
        m_installed.append(signalNumber);
    }
    return true;
}

void StopSignals::handle(int signalNumber)
{
    const char byte = char(signalNumber);
    // Only async-signal-safe calls here; a full pipe already says "stop".
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
}

void StopSignals::drain()
{
    char bytes[16];
    while (::read(s_pipe[0], bytes, sizeof bytes) > 0) {
    }
    emit stopRequested();
}

#include "moc_stop_signals.cpp"

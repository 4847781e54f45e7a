#include "app/shell/ShutdownSignals.h"

#include <atomic>
#include <cerrno>
#include <stdexcept>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

// The write end of the socket pair: a signal handler can reach nothing but a global.
std::atomic<int> writeEnd{-1};

extern "C" void onShutdownSignal(int signalNumber)
{
    const int saved = errno;
    const int socket = writeEnd.load();
    if (socket >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        // Non-blocking: when the pipe is full, the signals already in it will do.
        [[maybe_unused]] const ssize_t written = ::write(socket, &byte, 1);
    }
    errno = saved;
}

} // namespace

ShutdownSignals::ShutdownSignals(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_sockets) != 0)
        throw std::runtime_error("socketpair failed");
    ::fcntl(m_sockets[0], F_SETFL, ::fcntl(m_sockets[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(m_sockets[1], F_SETFL, ::fcntl(m_sockets[1], F_GETFL) | O_NONBLOCK);
    int expected = -1;
    if (!writeEnd.compare_exchange_strong(expected, m_sockets[1])) {
        ::close(m_sockets[0]);
        ::close(m_sockets[1]);
        throw std::logic_error("the shutdown signals are already watched");
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_sockets[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ShutdownSignals::readPending);

    struct sigaction action = {};
    action.sa_handler = onShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &action, &m_previous[i]);
}

ShutdownSignals::~ShutdownSignals()
{
    for (size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &m_previous[i], nullptr);
    writeEnd.store(-1);
    m_notifier.reset();
    ::close(m_sockets[0]);
    ::close(m_sockets[1]);
}

void ShutdownSignals::readPending()
{
    unsigned char numbers[16];
    for (;;) {
        const ssize_t read = ::read(m_sockets[0], numbers, sizeof numbers);
        if (read <= 0)
            return;
        for (ssize_t i = 0; i < read; ++i)
            emit received(numbers[i]);
    }
}

#pragma once

#include <csignal>
#include <iterator>
#include <memory>

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C, a closed terminal) into the
// signal received on the thread that made the object. The handler itself only writes the
// signal's number to a socket pair; a socket notifier reads it on the owner's event loop. One
// object at a time; the handlers that were there before come back when it goes.
class ShutdownSignals final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShutdownSignals)

public:
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;

    static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

signals:
    void received(int signalNumber);

private:
    void readPending();

    int m_sockets[2] = {-1, -1}; // read end, write end
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous[std::size(kSignals)] = {};
};

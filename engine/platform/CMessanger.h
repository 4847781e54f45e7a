#pragma once

#include <atomic>
#include <memory>

#include <QObject>
#include <QString>
#include <QVariant>

namespace zentrel {

// Carries messages from any thread to the thread that created the messenger, where MsgArrived is
// emitted once per post, in the order of posting. Shared by its owner and the workers that post to
// it; once the owner has closed it, Post fails.
class CMessanger final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMessanger)

public:
    // Created on the calling thread; the last holder's release deletes it on that thread.
    static std::shared_ptr<CMessanger> create();
    ~CMessanger() override;

    // Thread-safe. Raises when the owner has closed the messenger.
    void Post(int msg, const QVariant& data, const QString& sender = {}, const QString& receiver = {});

    // Called by the owner when it lets go: later posts fail and queued ones are dropped.
    void close();
    bool isClosed() const { return m_closed->load(); }

signals:
    void MsgArrived(int Msg, const QVariant& Data, const QString& Sender, const QString& Receiver);

private:
    CMessanger();
    std::shared_ptr<std::atomic<bool>> m_closed;
};

using CMessangerPtr = std::shared_ptr<CMessanger>;

} // namespace zentrel

Q_DECLARE_METATYPE(zentrel::CMessangerPtr)

#include "engine/platform/CMessanger.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include "engine/platform/ZError.h"

namespace zentrel {

CMessanger::CMessanger()
    : m_closed(std::make_shared<std::atomic<bool>>(false))
{
}

CMessanger::~CMessanger()
{
    m_closed->store(true);
}

std::shared_ptr<CMessanger> CMessanger::create()
{
    // A worker may drop the last reference; the object then goes on its own thread's queue.
    return std::shared_ptr<CMessanger>(new CMessanger, [](CMessanger* messanger) {
        if (messanger->thread() == QThread::currentThread())
            delete messanger;
        else
            messanger->deleteLater();
    });
}

void CMessanger::Post(int msg, const QVariant& data, const QString& sender, const QString& receiver)
{
    if (m_closed->load())
        throw ZError(kObjectErrorBase + 0x200, QStringLiteral("The messenger's owner is gone"),
                     QStringLiteral("CMessanger.Post"));
    const std::shared_ptr<std::atomic<bool>> closed = m_closed;
    QMetaObject::invokeMethod(
        this,
        [this, closed, msg, data, sender, receiver] {
            if (!closed->load())
                emit MsgArrived(msg, data, sender, receiver);
        },
        Qt::QueuedConnection);
}

void CMessanger::close()
{
    m_closed->store(true);
}

} // namespace zentrel

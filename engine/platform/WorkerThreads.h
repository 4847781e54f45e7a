#pragma once

#include <map>

#include <QObject>
#include <QString>

#include "engine/platform/ThreadHandle.h"

namespace zentrel {

// The threads one object started, each under a key (a cookie), each let go of once it has ended.
// Lives on its owner's thread; destroying it stops and waits for the threads still running.
class WorkerThreads final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WorkerThreads)

public:
    explicit WorkerThreads(QObject* parent = nullptr);
    ~WorkerThreads() override;

    void add(const QString& key, ThreadHandle thread);
    // Threads that have not ended yet.
    int count() const { return static_cast<int>(m_threads.size()); }
    bool contains(const QString& key) const { return m_threads.contains(key); }
    void requestStop(const QString& key) const;
    void requestStopAll() const;

signals:
    // The thread under the key has ended and is let go of.
    void ended(const QString& key);

private:
    void release(const QString& key);

    std::map<QString, ThreadHandle> m_threads;
};

} // namespace zentrel

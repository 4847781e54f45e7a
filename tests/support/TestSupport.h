#pragma once

#include <chrono>
#include <functional>

#include <QString>
#include <QTemporaryDir>

#include "tests/support/ScopedEnv.h"

namespace testsupport {

// A temporary data folder set as QUINTARA_HOME for the lifetime of the object.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    ScopedEnv m_home;
};

// Pumps the calling thread's events until the condition holds or the deadline passes.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(10));

// The threads of this process, as the system counts them.
int threadCount();
// The thread count once it has stayed the same for a moment (servers start their pools late).
int steadyThreadCount();
// Waits until the process has that many threads: a joined thread may take a moment to leave
// the system's count.
bool threadsSettleAt(int count, std::chrono::milliseconds deadline = std::chrono::seconds(2));

QString testDataPath(const QString& relative);
// The UTF-8 text of a file under tests/data/, empty when it cannot be read.
QString readTestData(const QString& relative);

} // namespace testsupport

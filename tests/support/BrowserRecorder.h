#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include "tests/support/ScopedEnv.h"

namespace testsupport {

// QUINTARA_BROWSER pointed, while the object lives, at a script that appends each argument it is
// started with as a line to a file.
class BrowserRecorder {
public:
    BrowserRecorder();

    QStringList opened() const;
    // Waits until the browser was started `count` times.
    bool waitForOpened(int count) const;

private:
    QByteArray writeScript();

    QTemporaryDir m_dir;
    QString m_output;
    ScopedEnv m_env;
};

} // namespace testsupport

#include "tests/support/BrowserRecorder.h"

#include <QFile>

#include "tests/support/TestSupport.h"

namespace testsupport {

BrowserRecorder::BrowserRecorder()
    : m_output(m_dir.filePath(QStringLiteral("opened.txt")))
    , m_env("QUINTARA_BROWSER", writeScript())
{
}

QByteArray BrowserRecorder::writeScript()
{
    const QString script = m_dir.filePath(QStringLiteral("browser.sh"));
    QFile file(script);
    if (file.open(QIODevice::WriteOnly)) {
        file.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"" +
                   m_dir.filePath(QStringLiteral("opened.txt")).toUtf8() + "\"\n");
        file.close();
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script.toUtf8();
}

QStringList BrowserRecorder::opened() const
{
    QFile file(m_output);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

bool BrowserRecorder::waitForOpened(int count) const
{
    return waitUntil([&] { return opened().size() >= count; });
}

} // namespace testsupport

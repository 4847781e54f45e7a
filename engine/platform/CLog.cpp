#include "engine/platform/CLog.h"

#include <map>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zentrel {

namespace {

// One lock per log file for the whole process, so that lines from every instance stay whole.
// The file is known by its folder's canonical path, so that every spelling of it shares the lock.
std::mutex& lockFor(const QString& path)
{
    static std::mutex registryMutex;
    static std::map<QString, std::unique_ptr<std::mutex>> locks;
    const QFileInfo info(path);
    QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        folder = info.absolutePath();
    const QString key = folder + QLatin1Char('/') + info.fileName();
    const std::lock_guard guard(registryMutex);
    auto& lock = locks[key];
    if (!lock)
        lock = std::make_unique<std::mutex>();
    return *lock;
}

// The absolute path; the file's folder is created when missing.
QString prepared(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    return info.absoluteFilePath();
}

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString hexNumber(qint64 number)
{
    return QStringLiteral("0x") + QString::number(static_cast<quint32>(number), 16)
                                      .toUpper()
                                      .rightJustified(8, QLatin1Char('0'));
}

void appendLine(const QString& path, const QByteArray& line)
{
    const std::lock_guard guard(lockFor(path));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return;
    file.write(line);
}

} // namespace

void CLog::Open(const QString& logFile, const QString& shortLogFile)
{
    const std::lock_guard guard(m_mutex);
    m_logFile = prepared(logFile);
    m_shortLogFile = prepared(shortLogFile);
}

void CLog::Attach(const QString& logFile)
{
    const std::lock_guard guard(m_mutex);
    m_logFile = prepared(logFile);
    m_shortLogFile.clear();
}

QString CLog::LogFile() const
{
    const std::lock_guard guard(m_mutex);
    return m_logFile;
}

QString CLog::formatLine(qint64 number, const QString& text, int level, const QString& source)
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
           QLatin1Char('\t') + QString::number(level) + QLatin1Char('\t') + hexNumber(number) +
           QLatin1Char('\t') + oneLine(source).replace(QLatin1Char('\t'), QLatin1Char(' ')) +
           QLatin1Char('\t') + oneLine(text);
}

void CLog::Write(qint64 number, const QString& text, int level, const QString& source) noexcept
{
    try {
        QString logFile;
        QString shortLogFile;
        {
            const std::lock_guard guard(m_mutex);
            logFile = m_logFile;
            shortLogFile = m_shortLogFile;
        }
        const QByteArray line =
            (formatLine(number, text, level, source) + QLatin1Char('\n')).toUtf8();
        if (!logFile.isEmpty())
            appendLine(logFile, line);
        if (!shortLogFile.isEmpty() && isError(level))
            appendLine(shortLogFile, line);
    } catch (...) {
        // A log write never fails its caller.
    }
}

} // namespace zentrel

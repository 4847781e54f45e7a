#include "engine/platform/CUtilities.h"

#include <mutex>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkInterface>
#include <QSequentialIterable>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUuid>

#include <sqlite3.h>

#include "engine/platform/ZError.h"

namespace zentrel {

namespace {

constexpr std::uint32_t kFileAccess = 0x800A004Bu; // path/file access error
constexpr int kMinimumSQLite = 3035000;

// The process's temporary folder and the counter of names handed out in it.
struct TempState {
    std::mutex mutex;
    QString folder;
    quint64 counter = 0;
};

TempState& tempState()
{
    static TempState state;
    return state;
}

// Called with the state locked.
const QString& ensureTempFolder(TempState& state)
{
    if (!state.folder.isEmpty() && QFileInfo(state.folder).isDir())
        return state.folder;
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/quintara-keywords-") +
                      QString::number(QCoreApplication::applicationPid()) +
                      QStringLiteral("-XXXXXX"));
    if (!dir.isValid())
        throw ZError(kFileAccess,
                     QStringLiteral("Cannot create a temporary folder in '%1': %2")
                         .arg(QDir::tempPath(), dir.errorString()),
                     QStringLiteral("CUtilities"));
    dir.setAutoRemove(false);
    state.folder = dir.path();
    state.counter = 0;
    return state.folder;
}

bool isUnreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}

} // namespace

QString CUtilities::EscapeSQL(const QString& text)
{
    QString escaped = text;
    return escaped.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString CUtilities::NewName()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

QString CUtilities::Format(const QString& templ, const QStringList& args)
{
    QString result;
    result.reserve(templ.size());
    qsizetype i = 0;
    while (i < templ.size()) {
        const QChar c = templ.at(i);
        qsizetype end = i + 1;
        while (c == QLatin1Char('%') && end < templ.size() && templ.at(end).isDigit() &&
               templ.at(end).unicode() < 0x80)
            ++end;
        if (end > i + 1) {
            bool ok = false;
            const qsizetype number = QStringView(templ).mid(i + 1, end - i - 1).toLongLong(&ok);
            if (ok && number >= 1 && number <= args.size())
                result += args.at(number - 1);
            else
                result += QStringView(templ).mid(i, end - i);
        } else {
            result += c;
        }
        i = end;
    }
    return result;
}

QString CUtilities::TempFolder()
{
    TempState& state = tempState();
    const std::lock_guard guard(state.mutex);
    return ensureTempFolder(state);
}

QString CUtilities::TempFileName(const QString& prefix)
{
    TempState& state = tempState();
    const std::lock_guard guard(state.mutex);
    const QDir folder(ensureTempFolder(state));
    for (;;) {
        const QString name =
            prefix +
            QString::number(++state.counter, 16).toUpper().rightJustified(4, QLatin1Char('0')) +
            QStringLiteral(".tmp");
        const QString path = folder.filePath(name);
        if (!QFileInfo::exists(path))
            return path;
    }
}

void CUtilities::RemoveTempFolder()
{
    TempState& state = tempState();
    const std::lock_guard guard(state.mutex);
    if (!state.folder.isEmpty())
        QDir(state.folder).removeRecursively();
    state.folder.clear();
}

bool CUtilities::IsOnline()
{
    const QByteArray forced = qgetenv("QUINTARA_ONLINE").trimmed();
    if (forced == "1")
        return true;
    if (forced == "0")
        return false;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& interface : interfaces) {
        const auto flags = interface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) &&
            flags.testFlag(QNetworkInterface::IsRunning) &&
            !flags.testFlag(QNetworkInterface::IsLoopBack))
            return true;
    }
    return false;
}

void CUtilities::ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool CUtilities::IsArrayEmpty(const QVariant& arr)
{
    if (!arr.isValid() || arr.isNull())
        return true;
    const int type = arr.metaType().id();
    if (type == QMetaType::QString || type == QMetaType::QByteArray)
        return true;
    if (!arr.canConvert<QSequentialIterable>())
        return true;
    const QSequentialIterable items = arr.value<QSequentialIterable>();
    return items.begin() == items.end();
}

QString CUtilities::GetWindowsVersion()
{
    return QSysInfo::prettyProductName() + QStringLiteral(" (") + QSysInfo::kernelType() +
           QLatin1Char(' ') + QSysInfo::kernelVersion() + QLatin1Char(')');
}

void CUtilities::GetDataComponentsVersions(QString& mdac, QString& jet)
{
    mdac = QStringLiteral("Qt ") + QString::fromLatin1(qVersion());
    jet = QStringLiteral("SQLite ") + QString::fromLatin1(sqlite3_libversion());
}

bool CUtilities::CheckDataComponents()
{
    return sqlite3_libversion_number() >= kMinimumSQLite;
}

QString CUtilities::EncodeBinary(const QByteArray& data)
{
    return QString::fromLatin1(data.toBase64());
}

QString CUtilities::URLEncode(const QString& text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const QByteArray bytes = text.toUtf8();
    QString encoded;
    encoded.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (isUnreserved(c)) {
            encoded += QLatin1Char(c);
        } else if (c == ' ') {
            encoded += QLatin1Char('+');
        } else {
            encoded += QLatin1Char('%');
            encoded += QLatin1Char(kHex[byte >> 4]);
            encoded += QLatin1Char(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

} // namespace zentrel

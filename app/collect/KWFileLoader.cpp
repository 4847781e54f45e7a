#include "app/collect/KWFileLoader.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <thread>

#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include "app/collect/KWTextFile.h"
#include "app/shell/MsgService.h"
#include "engine/research/CDLoadWorker.h"

namespace {

// Files up to this size load at once (a few tenths of a second at most); larger ones behind
// the progress dialog, shown at once.
constexpr qint64 kQuickSize = 1024 * 1024;
constexpr int kProgressSteps = 1000;
constexpr int kPollMs = 100;
// The share of the work that reading and decoding take; normalising takes the rest.
constexpr double kReadShare = 0.1;
constexpr double kDecodeShare = 0.05;

const QString kTooLarge = QStringLiteral("The file '%1' is %2; files over %3 cannot be imported. ");
const QString kNotText =
    QStringLiteral("The file '%1' is not a text file, so it cannot be imported. ");

// A size in the largest binary unit it fills at least once, with one decimal rounded up, so that
// a file just over a limit never reads as the limit itself.
QString sizeText(qint64 bytes)
{
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB"};
    double size = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (size >= 1024 && unit + 1 < std::size(kUnits)) {
        size /= 1024;
        ++unit;
    }
    return QString::number(std::ceil(size * 10) / 10, 'f', 1) + u' ' +
           QLatin1StringView(kUnits[unit]);
}

// A part of a progress: done (0 to 1) of a step that runs from `from` over `share`.
KWTextFile::Progress part(const KWTextFile::Progress& whole, double from, double share)
{
    return [&whole, from, share](double done) { return whole(from + share * done); };
}

std::optional<QString> readKWs(const QString& path, qint64 size,
                               const KWTextFile::Progress& progress)
{
    QString text;
    {
        const std::optional<QByteArray> bytes =
            KWTextFile::Read(path, size, part(progress, 0, kReadShare));
        if (!bytes)
            return std::nullopt;
        text = KWTextFile::Decode(*bytes);
    }
    const double normalizeFrom = kReadShare + kDecodeShare;
    if (!progress(normalizeFrom))
        return std::nullopt;
    return KWTextFile::NormalizeKWList(text, part(progress, normalizeFrom, 1 - normalizeFrom));
}

} // namespace

KWFileLoader::KWFileLoader(QWidget* owner)
    : m_owner(owner)
{
}

std::optional<QString> KWFileLoader::Load(const QString& path) const
{
    const qint64 size = QFileInfo(path).size();
    if (refused(path, size, KWTextFile::kMaxSize))
        return std::nullopt;
    if (size <= kQuickSize)
        return readKWs(path, size, [](double) { return true; });
    return loadBehindProgress(path, size);
}

bool KWFileLoader::RefusesPage(const QString& path) const
{
    return refused(path, QFileInfo(path).size(), zentrel::CDLoadWorker::kMaxBodyBytes);
}

bool KWFileLoader::refused(const QString& path, qint64 size, qint64 limit) const
{
    if (size > limit) {
        const QString limitText = QString::number(limit / (1024 * 1024)) + u" MB";
        MsgService::showMsg(m_owner, kTooLarge.arg(path, sizeText(size), limitText),
                            MsgService::Exclamation);
        return true;
    }
    const std::optional<QByteArray> start = KWTextFile::Read(
        path, std::min(size, KWTextFile::kSampleSize), [](double) { return true; });
    if (KWTextFile::LooksLikeText(*start))
        return false;
    MsgService::showMsg(m_owner, kNotText.arg(path), MsgService::Exclamation);
    return true;
}

// The worker starts once the progress dialog is up and posts its end to it; the dialog shows
// the share done, looked at a few times a second. Cancel asks the worker to stop, and the thread
// is joined before its results are read.
std::optional<QString> KWFileLoader::loadBehindProgress(const QString& path, qint64 size) const
{
    QProgressDialog progress(
        QStringLiteral("Reading keywords from '%1'...").arg(QFileInfo(path).fileName()),
        QStringLiteral("Cancel"), 0, kProgressSteps, m_owner);
    progress.setWindowTitle(QStringLiteral("Import Keywords"));
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);

    std::atomic<int> steps{0};
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &progress, [&] { progress.setValue(steps.load()); });
    poll.start(kPollMs);

    std::optional<QString> result;
    std::exception_ptr failure;
    std::jthread worker;
    auto work = [&](const std::stop_token& stop) {
        const KWTextFile::Progress report = [&](double done) {
            steps.store(static_cast<int>(done * (kProgressSteps - 1)));
            return !stop.stop_requested();
        };
        try {
            result = readKWs(path, size, report);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            &progress, [&progress] { progress.accept(); }, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(
        &progress, [&] { worker = std::jthread(work); }, Qt::QueuedConnection);
    const bool finished = progress.exec() == QDialog::Accepted;
    poll.stop();
    worker.request_stop();
    if (worker.joinable())
        worker.join();
    if (!finished)
        return std::nullopt;
    if (failure)
        std::rethrow_exception(failure);
    return result;
}

#include "engine/research/CDLoadWorker.h"

#include <memory>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVariantList>

#include "engine/ComponentRegistration.h"
#include "engine/EngineMessages.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CMessanger.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/ZError.h"
#include "engine/research/TextDecoder.h"

namespace zentrel {

namespace {

const ComponentRegistration registration{"Zentrel.CDLoadWorker",
                                         [] { return std::make_unique<CDLoadWorker>(); }};

const QString kSource = QStringLiteral("CDLoadWorker.Run");
// The source of the engine's own errors; other sources are named in the log.
const QString kEngineSource = QStringLiteral("Zentrel");

bool isAcceptedStatus(int status)
{
    return status == 200 || status == 206 || status == 302 || status == 304;
}

QVariantList resultMessage(const QString& cookie, const QString& page, bool success,
                           std::int32_t number, const QString& description, const QString& url)
{
    return {cookie, page, success, number, description, url};
}

QString logDescription(const QString& description, const QString& source)
{
    if (source.isEmpty() || source == kEngineSource)
        return description;
    return description + QStringLiteral(". Source==") + source;
}

// The downloader cancelled the download: the worker gives up its request at once.
bool isCancelled()
{
    return QThread::currentThread()->isInterruptionRequested();
}

// 653 with the server's reason, or 645 when the machine is offline.
[[noreturn]] void raiseNotAccepted(const QString& reason)
{
    if (!CUtilities::IsOnline())
        throw EngineMessages::error(EngineMessages::Offline, {}, kEngineSource);
    throw ZError(objectError(EngineMessages::HttpStatus), reason, kEngineSource);
}

} // namespace

CDLoadWorker::CDLoadWorker(QObject* parent)
    : QObject(parent)
{
}

CDLoadWorker::~CDLoadWorker() = default;

void CDLoadWorker::Run(CKeyedCollectionPtr Data)
{
    QCoreApplication::processEvents();
    CLog log;
    CMessangerPtr messanger;
    QString url;
    QString cookie;
    try {
        if (!Data)
            throw ZError(kInvalidArgument, QStringLiteral("No download parameters. "), kSource);
        log.Attach(Data->Item(QStringLiteral("LogFile")).toString());
        url = Data->Item(QStringLiteral("URL")).toString();
        const std::int32_t sizeB = Data->Item(QStringLiteral("SizeB")).toInt();
        messanger = Data->Object<CMessanger>(QStringLiteral("Messanger"));
        cookie = Data->Item(QStringLiteral("Cookie")).toString();
        if (!messanger)
            throw ZError(kInvalidArgument, QStringLiteral("No messenger. "), kSource);
        auto timeLimit = kDefaultTimeLimit;
        if (Data->Exists(QStringLiteral("TimeLimit")))
            timeLimit =
                std::chrono::milliseconds(Data->Item(QStringLiteral("TimeLimit")).toLongLong());

        const Response response = fetch(url, sizeB, timeLimit, *messanger);
        const QString page = TextDecoder::Decode(response.body, response.contentType);
        messanger->Post(0, resultMessage(cookie, page, true, 0, {}, url));
    } catch (const ZError& error) {
        log.Write(error.signedNumber(), logDescription(error.description(), error.source()), 4,
                  kSource);
        postFailure(messanger.get(), cookie, error.signedNumber(), error.description(), url);
    } catch (const std::exception& error) {
        const QString description = QString::fromLocal8Bit(error.what());
        const auto number = static_cast<std::int32_t>(kUnexpected);
        log.Write(number, description, 4, kSource);
        postFailure(messanger.get(), cookie, number, description, url);
    }
}

void CDLoadWorker::postFailure(CMessanger* messanger, const QString& cookie, std::int32_t number,
                               const QString& description, const QString& url) noexcept
{
    if (!messanger)
        return;
    try {
        messanger->Post(0, resultMessage(cookie, {}, false, number, description, url));
    } catch (...) {
        // The downloader is gone: nobody waits for the result.
    }
}

CDLoadWorker::Response CDLoadWorker::fetch(const QString& url, std::int32_t sizeB,
                                           std::chrono::milliseconds timeLimit,
                                           const CMessanger& messanger)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("GET", url.toUtf8());
    if (sizeB > 0)
        request.setRawHeader("Range", "bytes=0-" + QByteArray::number(sizeB - 1));
    // The body cap below guards against compressed bodies that expand without end; Qt's own
    // check stalls such a reply (no more data arrives) until the time limit instead of failing.
    request.setDecompressedSafetyCheckThreshold(-1);

    const std::unique_ptr<QNetworkReply> reply(manager.get(request));
    QEventLoop loop;
    Response response;
    bool headersArrived = false;
    bool tooLarge = false;
    const QDeadlineTimer deadline(timeLimit);

    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        headersArrived = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        response.body += reply->readAll();
        if (response.body.size() > kMaxBodyBytes) {
            tooLarge = true;
            loop.quit();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    poll.setInterval(kPollInterval);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (deadline.hasExpired() || messanger.isClosed() || isCancelled())
            loop.quit();
    });
    poll.start();
    if (!reply->isFinished() && !isCancelled())
        loop.exec();
    poll.stop();

    if (!tooLarge && reply->isFinished()) {
        response.body += reply->readAll();
        tooLarge = response.body.size() > kMaxBodyBytes;
    }
    if (isCancelled() && !reply->isFinished()) {
        reply->abort();
        throw ZError(kUnexpected, QStringLiteral("The download was cancelled. "), kEngineSource);
    }
    checkFinished(*reply, headersArrived, tooLarge, messanger.isClosed());
    checkStatus(*reply);
    response.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    return response;
}

void CDLoadWorker::checkFinished(QNetworkReply& reply, bool headersArrived, bool tooLarge,
                                 bool ownerGone)
{
    if (tooLarge) {
        reply.abort();
        throw ZError(objectError(EngineMessages::HttpStatus),
                     QStringLiteral("The page is larger than %1 bytes. ").arg(kMaxBodyBytes),
                     kEngineSource);
    }
    if (reply.isFinished())
        return;
    reply.abort();
    if (ownerGone)
        throw ZError(kUnexpected, QStringLiteral("The downloader is gone. "), kEngineSource);
    if (!headersArrived)
        throw EngineMessages::error(EngineMessages::TimeoutExceeded, {}, kEngineSource);
    throw EngineMessages::error(EngineMessages::LoopingInInteractiveState, {}, kEngineSource);
}

void CDLoadWorker::checkStatus(QNetworkReply& reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) // no response at all: refused, unknown host, broken connection
        raiseNotAccepted(reply.errorString());
    const int code = status.toInt();
    if (!isAcceptedStatus(code))
        raiseNotAccepted(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    // A body cut off by a broken connection is not the page.
    if ((code == 200 || code == 206) && reply.error() != QNetworkReply::NoError)
        raiseNotAccepted(reply.errorString());
}

} // namespace zentrel

#include "engine/research/CDLoadWorker.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>

#include <zlib.h>

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

// The content codings the request offers; the worker inflates them itself.
const QByteArray kAcceptedEncodings = QByteArrayLiteral("gzip, deflate");

bool isCompressed(const QByteArray& contentEncoding)
{
    const QByteArray coding = contentEncoding.trimmed().toLower();
    return coding == "gzip" || coding == "x-gzip" || coding == "deflate";
}

struct InflaterEnd {
    void operator()(z_stream* stream) const
    {
        inflateEnd(stream);
        delete stream;
    }
};

} // namespace

// The body as it arrives, inflated when the server compressed it, held up to one byte over the
// cap and no further.
class CDLoadWorker::Body {
public:
    explicit Body(const QByteArray& contentEncoding);

    // Takes what the reply holds now; false once the page is larger than the cap.
    bool take(QIODevice& reply);
    QByteArray release() { return std::move(m_bytes); }

private:
    static constexpr qsizetype kLimit = kMaxBodyBytes + 1;
    static constexpr qsizetype kStep = kReadBufferBytes;

    qsizetype makeRoom(qsizetype wanted);
    bool takePlain(QIODevice& reply);
    bool inflateChunk(const char* data, qsizetype size);
    bool full() const { return m_bytes.size() == kLimit; }

    QByteArray m_bytes;
    QByteArray m_input;
    std::unique_ptr<z_stream, InflaterEnd> m_inflater;
    bool m_streamEnded = false; // more data start another gzip member
};

CDLoadWorker::Body::Body(const QByteArray& contentEncoding)
{
    if (!isCompressed(contentEncoding))
        return;
    auto stream = std::make_unique<z_stream>();
    // A gzip or a zlib header: servers send either for deflate.
    if (inflateInit2(stream.get(), MAX_WBITS + 32) != Z_OK)
        throw std::bad_alloc();
    m_inflater.reset(stream.release());
    m_input.resize(kStep);
}

bool CDLoadWorker::Body::take(QIODevice& reply)
{
    if (!m_inflater)
        return takePlain(reply);
    for (;;) {
        const qint64 read = reply.read(m_input.data(), m_input.size());
        if (read <= 0)
            return true;
        if (!inflateChunk(m_input.constData(), read))
            return false;
    }
}

// Grows the buffer for up to `wanted` more bytes, doubling but never past the limit; returns the
// room there is, 0 once the body has reached the limit.
qsizetype CDLoadWorker::Body::makeRoom(qsizetype wanted)
{
    const qsizetype size = m_bytes.size();
    const qsizetype needed = std::min(size + wanted, kLimit);
    if (needed > m_bytes.capacity())
        m_bytes.reserve(std::min(std::max(needed, 2 * m_bytes.capacity()), kLimit));
    return needed - size;
}

bool CDLoadWorker::Body::takePlain(QIODevice& reply)
{
    while (reply.bytesAvailable() > 0) {
        const qsizetype room = makeRoom(reply.bytesAvailable());
        if (room == 0)
            return false;
        const qsizetype size = m_bytes.size();
        m_bytes.resize(size + room);
        const qint64 read = reply.read(m_bytes.data() + size, room);
        m_bytes.resize(size + std::max<qint64>(read, 0));
        if (read <= 0)
            break;
    }
    return !full();
}

bool CDLoadWorker::Body::inflateChunk(const char* data, qsizetype size)
{
    z_stream& stream = *m_inflater;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = static_cast<uInt>(size);
    for (;;) {
        if (m_streamEnded) {
            if (stream.avail_in == 0)
                break;
            inflateReset(&stream);
            m_streamEnded = false;
        }
        const qsizetype room = makeRoom(kStep);
        if (room == 0)
            return false;
        const qsizetype used = m_bytes.size();
        m_bytes.resize(used + room);
        stream.next_out = reinterpret_cast<Bytef*>(m_bytes.data() + used);
        stream.avail_out = static_cast<uInt>(room);
        const int result = ::inflate(&stream, Z_NO_FLUSH);
        m_bytes.resize(used + room - stream.avail_out);
        if (result == Z_STREAM_END) {
            m_streamEnded = true;
        } else if (result != Z_OK && result != Z_BUF_ERROR) {
            throw ZError(objectError(EngineMessages::HttpStatus),
                         QStringLiteral("The page's compressed data are damaged. "), kEngineSource);
        } else if (stream.avail_out > 0) {
            break; // all input taken and all output given
        }
    }
    return !full();
}

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

QNetworkRequest CDLoadWorker::request(const QString& url, std::int32_t sizeB)
{
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("GET", url.toUtf8());
    if (sizeB > 0)
        request.setRawHeader("Range", "bytes=0-" + QByteArray::number(sizeB - 1));
    // Offered here, the codings reach the worker as they are (Qt inflates only those it offered
    // itself, and without a bound), so the worker inflates them up to the cap.
    request.setRawHeader("Accept-Encoding", kAcceptedEncodings);
    // Qt's HTTP/2 takes in data as fast as the server sends them, whatever the read buffer.
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    return request;
}

bool CDLoadWorker::declaresTooMuch(const QNetworkReply& reply)
{
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() && length.toLongLong() > kMaxBodyBytes;
}

CDLoadWorker::Response CDLoadWorker::fetch(const QString& url, std::int32_t sizeB,
                                           std::chrono::milliseconds timeLimit,
                                           const CMessanger& messanger)
{
    QNetworkAccessManager manager;
    const std::unique_ptr<QNetworkReply> reply(manager.get(request(url, sizeB)));
    reply->setReadBufferSize(kReadBufferBytes);
    QEventLoop loop;
    std::optional<Body> body;
    bool headersArrived = false;
    bool tooLarge = false;
    std::exception_ptr failure;
    const QDeadlineTimer deadline(timeLimit);

    // Gives the page up: nothing more is read from the server.
    const auto giveUp = [&](std::exception_ptr error) {
        if (error)
            failure = error;
        else
            tooLarge = true;
        reply->abort();
        loop.quit();
    };
    const auto takeBody = [&] {
        if (!body)
            body.emplace(reply->rawHeader("Content-Encoding"));
        return body->take(*reply);
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        headersArrived = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        if (declaresTooMuch(*reply))
            giveUp({});
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        if (tooLarge || failure)
            return;
        try {
            if (!takeBody())
                giveUp({});
        } catch (...) {
            giveUp(std::current_exception());
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

    if (failure)
        std::rethrow_exception(failure);
    if (!tooLarge && reply->isFinished())
        tooLarge = !takeBody();
    if (isCancelled() && !reply->isFinished()) {
        reply->abort();
        throw ZError(kUnexpected, QStringLiteral("The download was cancelled. "), kEngineSource);
    }
    checkFinished(*reply, headersArrived, tooLarge, messanger.isClosed());
    checkStatus(*reply);
    Response response;
    response.body = body->release();
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

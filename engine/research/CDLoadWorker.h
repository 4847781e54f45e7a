#pragma once

#include <chrono>
#include <cstdint>

#include <QByteArray>
#include <QObject>
#include <QString>

#include "engine/platform/CKeyedCollection.h"

class QNetworkReply;
class QNetworkRequest;

namespace zentrel {

class CMessanger;

// Fetches one page on its own thread and posts the result to the downloader's messenger: a list of
// cookie, page text, success, error number, error description and URL.
class CDLoadWorker final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDLoadWorker)

public:
    // How long a request may take after it was sent, unless the data give "TimeLimit" (ms).
    static constexpr std::chrono::milliseconds kDefaultTimeLimit{60000};
    // A body above this size, as declared or as it arrives (inflated when compressed), ends the
    // download as a failure.
    static constexpr qint64 kMaxBodyBytes = 16 * 1024 * 1024;
    // How much of a reply Qt reads ahead of the worker; it stops reading the socket beyond it.
    static constexpr qint64 kReadBufferBytes = 64 * 1024;
    static constexpr std::chrono::milliseconds kPollInterval{100};

    explicit CDLoadWorker(QObject* parent = nullptr);
    ~CDLoadWorker() override;

    // Data: "URL", "SizeB", "LogFile", "Messanger", "Cookie" and, for tests, "TimeLimit".
    Q_INVOKABLE void Run(zentrel::CKeyedCollectionPtr Data);

private:
    class Body;

    struct Response {
        QByteArray body;
        QByteArray contentType;
    };

    static QNetworkRequest request(const QString& url, std::int32_t sizeB);
    static bool declaresTooMuch(const QNetworkReply& reply);
    static Response fetch(const QString& url, std::int32_t sizeB,
                          std::chrono::milliseconds timeLimit, const CMessanger& messanger);
    static void checkFinished(QNetworkReply& reply, bool headersArrived, bool tooLarge,
                              bool ownerGone);
    static void checkStatus(QNetworkReply& reply);
    static void postFailure(CMessanger* messanger, const QString& cookie, std::int32_t number,
                            const QString& description, const QString& url) noexcept;
};

} // namespace zentrel

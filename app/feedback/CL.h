#pragma once

#include <chrono>

#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkReply;

namespace zentrel {
class CAttributes;
}

// Sends one feedback record to the maker's feedback endpoint: the record as XML in a temporary
// file, zipped, Base64-encoded and posted form-encoded. The wait for the answer keeps the user
// interface running.
class CL final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CL)

public:
    explicit CL(QObject* parent = nullptr);
    ~CL() override;

    // True when the endpoint answered 200, 206, 302 or 304 within the time limit. Otherwise
    // false, with FalseCouse "Cannot send. " for a time-out, a cut answer or no answer at all,
    // the status text for another status, and left unchanged when the record could not be made.
    bool Do1(const QString& Category, const zentrel::CAttributes& o, QString& FalseCouse);

    // The one-line XML record.
    static QString Record(const QString& Category, const QString& id,
                          const zentrel::CAttributes& o);

    // QUINTARA_FEEDBACK_HOST, else the setting "FeedbackHost", else the build's default; a host
    // may carry a port.
    static QString FeedbackHost();
    static QString DefaultFeedbackHost();
    static QString EndpointURL();

    // The longest wait for an answer (20 s unless set), measured on a monotonic clock.
    void setTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }
    std::chrono::milliseconds timeLimit() const { return m_timeLimit; }

    bool isSending() const { return !m_reply.isNull(); }
    // Aborts a send under way; its Do1 fails with "Cannot send. ".
    void cancel();

    static constexpr std::chrono::milliseconds kTimeLimit{20000};

private:
    bool post(const QByteArray& body, QString& FalseCouse);

    std::chrono::milliseconds m_timeLimit = kTimeLimit;
    QPointer<QNetworkReply> m_reply;
};

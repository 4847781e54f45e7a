#include "app/feedback/CL.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopeGuard>
#include <QTimer>
#include <QUrl>

#include "app/feedback/MXML.h"
#include "app/feedback/cZip.h"
#include "app/shell/MMisc.h"
#include "app/shell/ProgramSettings.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/CFileUtilities.h"
#include "engine/platform/CRegistry.h"
#include "engine/platform/CUtilities.h"

using zentrel::CFileUtilities;
using zentrel::CUtilities;

namespace {

const QString kCannotSend = QStringLiteral("Cannot send. ");

bool accepted(int status)
{
    return status == 200 || status == 206 || status == 302 || status == 304;
}

// An answer came in whole: a status line, headers and the full body. An error status is an
// answer once its headers are in, whatever error Qt makes of it (400 and 418 become protocol
// errors, 407 a proxy error): its body, whole or cut, says nothing more.
bool complete(const QNetworkReply& reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!reply.isFinished() || !status.isValid())
        return false;
    return reply.error() == QNetworkReply::NoError || !accepted(status.toInt());
}

void removeQuietly(const QString& path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

} // namespace

CL::CL(QObject* parent)
    : QObject(parent)
{
}

CL::~CL()
{
    cancel();
}

QString CL::FeedbackHost()
{
    const QString fromEnvironment = qEnvironmentVariable("QUINTARA_FEEDBACK_HOST").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    QString fromSettings;
    if (zentrel::CRegistry().ReadString(zentrel::CRegistry::kCurrentUser,
                                        ProgramSettings::programKey(),
                                        QStringLiteral("FeedbackHost"), fromSettings) &&
        !fromSettings.trimmed().isEmpty())
        return fromSettings.trimmed();
    return DefaultFeedbackHost();
}

QString CL::DefaultFeedbackHost()
{
    return QStringLiteral(QUINTARA_DEFAULT_FEEDBACK_HOST);
}

QString CL::EndpointURL()
{
    return QStringLiteral("http://") + FeedbackHost() + QStringLiteral("/php/ic.php");
}

QString CL::Record(const QString& Category, const QString& id, const zentrel::CAttributes& o)
{
    QString elements;
    for (const zentrel::CAttribute& attribute : o) {
        for (const QVariant& value : attribute.Values()) {
            elements += QLatin1Char('<') + attribute.Name() + QLatin1Char('>') +
                        MXML::XmlEscape(value.toString()) + QStringLiteral("</") +
                        attribute.Name() + QLatin1Char('>');
        }
    }
    return QStringLiteral("<xml><cat>") + MXML::XmlEscape(Category) + QStringLiteral("</cat><id>") +
           MXML::XmlEscape(id) + QStringLiteral("</id>") + elements + QStringLiteral("</xml>");
}

bool CL::Do1(const QString& Category, const zentrel::CAttributes& o, QString& FalseCouse)
{
    QString xmlFile;
    QString archiveBase;
    QString archive;
    // Neither file, nor the bare temporary name, outlives the call.
    const auto cleanUp = qScopeGuard([&] {
        removeQuietly(xmlFile);
        removeQuietly(archive);
        removeQuietly(archiveBase);
    });
    try {
        QString category = Category;
        category.replace(QLatin1Char('/'), QLatin1Char('\\'));
        const QString id = CUtilities::NewName();
        const QString record = Record(category, id, o);

        QString folder = CUtilities::TempFolder();
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        xmlFile = folder + id + QStringLiteral(".xml");
        archiveBase = CUtilities::TempFileName(QStringLiteral("jx"));
        archive = archiveBase + QStringLiteral(".zip");
        CFileUtilities::WriteFile(xmlFile, record);

        cZip zip;
        zip.setZipFile(archive);
        zip.setStoreFolderNames(false);
        zip.setRecurseSubDirs(false);
        zip.ClearFileSpecs();
        zip.AddFileSpec(xmlFile);
        if (!zip.Zip())
            return false;

        const QString text = CUtilities::EncodeBinary(CFileUtilities::ReadFile(archive));
        const QString body = QStringLiteral("subject=") +
                             MMisc::EscapeURLPart(category + QLatin1Char('\\') + id) +
                             QStringLiteral("&value=") + MMisc::EscapeURLPart(text);
        return post(body.toUtf8(), FalseCouse);
    } catch (const std::exception&) {
        return false;
    }
}

bool CL::post(const QByteArray& body, QString& FalseCouse)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(EndpointURL())};
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    // A redirect is an answer of its own (302 counts as sent).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = manager.post(request, body);
    m_reply = reply;
    const auto release = qScopeGuard([this] { m_reply.clear(); });

    // QTimer runs on the monotonic clock, so a change of the wall clock neither stretches nor
    // cuts the wait.
    QEventLoop wait;
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);
    connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
    connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
    limit.start(m_timeLimit);
    if (!reply->isFinished())
        wait.exec();

    // Anything short of a whole answer at the limit (nothing yet, only part of the headers,
    // part of the body, a dropped connection) is abandoned.
    if (!complete(*reply)) {
        if (!reply->isFinished())
            reply->abort();
        FalseCouse = kCannotSend;
        return false;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (accepted(status))
        return true;
    FalseCouse = QString::fromLatin1(
        reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    return false;
}

void CL::cancel()
{
    if (m_reply && !m_reply->isFinished())
        m_reply->abort();
}

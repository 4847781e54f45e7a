#include <chrono>

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/feedback/CL.h"
#include "app/feedback/MXML.h"
#include "app/shell/MMisc.h"
#include "app/shell/ProgramSettings.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/CRegistry.h"
#include "tests/app/feedback/FeedbackServer.h"
#include "tests/app/feedback/SentRecord.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/TestSupport.h"

using namespace std::chrono_literals;
using zentrel::CAttributes;

namespace {

class CLTest : public ::testing::Test {
protected:
    testsupport::TempHome home;
    FeedbackServer server;
    testsupport::ScopedEnv host{"QUINTARA_FEEDBACK_HOST", server.host().toUtf8()};
    CL cl;

    // Sends and checks that no temporary file is left, whatever the outcome.
    bool send(const QString& category, const CAttributes& values, QString& reason)
    {
        const bool result = cl.Do1(category, values, reason);
        EXPECT_EQ(tempFiles(), QStringList());
        return result;
    }

    // A server that does not answer in time: the send fails after the limit, not before.
    void expectTimeOutAfter(std::chrono::milliseconds limit)
    {
        server.answer(200, "OK", 30s);
        cl.setTimeLimit(limit);
        QString reason;
        QElapsedTimer elapsed;
        elapsed.start();
        EXPECT_FALSE(send(QStringLiteral("VX\\Question"), CAttributes(), reason));
        EXPECT_EQ(reason, QStringLiteral("Cannot send. "));
        EXPECT_GE(elapsed.elapsed(), limit.count() - 50);
        EXPECT_LT(elapsed.elapsed(), limit.count() + 4000);
    }
};

} // namespace

TEST(MXML, XmlEscapeEscapesAmpersandFirstAndDropsWhatXmlForbids)
{
    struct Case {
        QString text;
        QString escaped;
    };
    const Case cases[] = {
        {QStringLiteral("plain"), QStringLiteral("plain")},
        {QStringLiteral("a&b<c>\"d\"'e'"),
         QStringLiteral("a&amp;b&lt;c&gt;&quot;d&quot;&apos;e&apos;")},
        {QStringLiteral("&amp; &lt;"), QStringLiteral("&amp;amp; &amp;lt;")},
        {QStringLiteral("tab\tcr\rlf\n"), QStringLiteral("tab\tcr\rlf\n")},
        {QStringLiteral("a") + QChar(0x01) + QStringLiteral("b") + QChar(0x1B) + QChar(0x00) +
             QStringLiteral("c"),
         QStringLiteral("abc")},
        {QStringLiteral("x") + QChar(0xFFFE) + QChar(0xFFFF) + QChar(0xD800) + QStringLiteral("y"),
         QStringLiteral("xy")},
        {QStringLiteral("é ✓ 𝄞"), QStringLiteral("é ✓ 𝄞")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MXML::XmlEscape(c.text), c.escaped) << c.text.toStdString();
}

TEST_F(CLTest, TheRecordIsPostedAsZippedXml)
{
    struct Case {
        const char* what;
        QString category;
        std::vector<std::pair<QString, QString>> values;
        QString sentCategory;
        QString elements;
    };
    const Case cases[] = {
        {"no attributes", QStringLiteral("VX\\Question"), {}, QStringLiteral("VX\\Question"), {}},
        {"slash in the category",
         QStringLiteral("VX/Bug"),
         {{"bug", "b"}},
         QStringLiteral("VX\\Bug"),
         QStringLiteral("<bug>b</bug>")},
        {"escaping",
         QStringLiteral("VX\\Question"),
         {{"name", "A & B <x> \"q\" 'a'"}, {"question", "1+1 &amp;\r\nnext\\line"}},
         QStringLiteral("VX\\Question"),
         QStringLiteral("<name>A &amp; B &lt;x&gt; &quot;q&quot; &apos;a&apos;</name>"
                        "<question>1+1 &amp;amp;\r\nnext\\line</question>")},
        {"two values of one attribute, in order",
         QStringLiteral("VX\\Suggestion"),
         {{"email", "first"}, {"name", "n"}, {"email", "second"}},
         QStringLiteral("VX\\Suggestion"),
         QStringLiteral("<email>first</email><email>second</email><name>n</name>")},
        {"control characters from the log are dropped",
         QStringLiteral("VX\\Bug"),
         {{"log", QStringLiteral("a") + QChar(0x07) + QStringLiteral("b\tc") + QChar(0x0C)}},
         QStringLiteral("VX\\Bug"),
         QStringLiteral("<log>ab\tc</log>")},
        {"text beyond ASCII",
         QStringLiteral("VX\\Testimonial"),
         {{"location", "Zürich ✓"}},
         QStringLiteral("VX\\Testimonial"),
         QStringLiteral("<location>Zürich ✓</location>")},
    };
    std::size_t sent = 0;
    for (const Case& c : cases) {
        CAttributes values;
        for (const auto& [name, value] : c.values)
            values.Add(name, value);
        QString reason = QStringLiteral("unchanged");
        ASSERT_TRUE(send(c.category, values, reason)) << c.what;
        EXPECT_EQ(reason, QStringLiteral("unchanged")) << c.what;

        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), ++sent) << c.what;
        const FeedbackServer::Request& request = requests.back();
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/php/ic.php");
        EXPECT_EQ(request.headers.at("content-type"), "application/x-www-form-urlencoded");
        // Nothing the four escapes cover travels raw.
        for (const char raw : {'+', '\\', '\r', '\n'})
            EXPECT_EQ(request.body.find(raw), std::string::npos) << c.what << " " << int(raw);
        EXPECT_EQ(request.body.rfind(
                      "subject=" + MMisc::EscapeURLPart(c.sentCategory).toStdString() + "%5C{", 0),
                  0u)
            << request.body.substr(0, 60);

        const SentRecord record = decodeBody(request.body);
        ASSERT_TRUE(record.decoded) << c.what;
        EXPECT_EQ(record.subject, c.sentCategory + QLatin1Char('\\') + record.id());
        EXPECT_TRUE(record.id().startsWith(QLatin1Char('{')) && record.id().endsWith('}'));
        EXPECT_EQ(record.fileName, record.id() + QStringLiteral(".xml"));
        EXPECT_EQ(record.method, ZIP_CM_DEFLATE);
        const QString expected = QStringLiteral("<xml><cat>") + c.sentCategory +
                                 QStringLiteral("</cat><id>") + record.id() +
                                 QStringLiteral("</id>") + c.elements + QStringLiteral("</xml>");
        EXPECT_EQ(record.xml, expected.toUtf8()) << c.what;
    }
}

TEST_F(CLTest, EachCallMakesANewRecordId)
{
    QString reason;
    ASSERT_TRUE(send(QStringLiteral("VX\\Question"), CAttributes(), reason));
    ASSERT_TRUE(send(QStringLiteral("VX\\Question"), CAttributes(), reason));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(decodeBody(requests[0].body).id(), decodeBody(requests[1].body).id());
}

TEST_F(CLTest, StatusDecidesAndOtherStatusesGiveTheServersText)
{
    struct Case {
        int status;
        std::string text;
        bool sent;
        QString reason;
    };
    const Case cases[] = {
        {200, "OK", true, QStringLiteral("before")},
        {206, "Partial Content", true, QStringLiteral("before")},
        {302, "Found", true, QStringLiteral("before")},
        {304, "Not Modified", true, QStringLiteral("before")},
        {201, "Created", false, QStringLiteral("Created")},
        {301, "Moved Permanently", false, QStringLiteral("Moved Permanently")},
        // Every error status, whichever error of its own the network layer makes of it.
        {400, "Bad Request", false, QStringLiteral("Bad Request")},
        {401, "Unauthorized", false, QStringLiteral("Unauthorized")},
        {402, "Payment Required", false, QStringLiteral("Payment Required")},
        {403, "Forbidden", false, QStringLiteral("Forbidden")},
        {404, "Not Found", false, QStringLiteral("Not Found")},
        {405, "Method Not Allowed", false, QStringLiteral("Method Not Allowed")},
        {407, "Proxy Authentication Required", false,
         QStringLiteral("Proxy Authentication Required")},
        {409, "Conflict", false, QStringLiteral("Conflict")},
        {410, "Gone", false, QStringLiteral("Gone")},
        {418, "I'm a teapot", false, QStringLiteral("I'm a teapot")},
        {429, "Too Many Requests", false, QStringLiteral("Too Many Requests")},
        {499, "Client Closed Request", false, QStringLiteral("Client Closed Request")},
        {500, "Feedback Store Full", false, QStringLiteral("Feedback Store Full")},
        {501, "Not Implemented", false, QStringLiteral("Not Implemented")},
        {502, "Bad Gateway", false, QStringLiteral("Bad Gateway")},
        {503, "Service Unavailable", false, QStringLiteral("Service Unavailable")},
        {504, "Gateway Timeout", false, QStringLiteral("Gateway Timeout")},
        {599, "Network Connect Timeout", false, QStringLiteral("Network Connect Timeout")},
    };
    for (const Case& c : cases) {
        server.answer(c.status, c.text);
        QString reason = QStringLiteral("before");
        EXPECT_EQ(send(QStringLiteral("VX\\Question"), CAttributes(), reason), c.sent) << c.status;
        EXPECT_EQ(reason, c.reason) << c.status;
    }
}

TEST_F(CLTest, AnErrorStatusWithItsBodyCutShortGivesTheServersText)
{
    server.answer(400, "Status");
    server.setMode(FeedbackServer::Mode::CutBody);
    for (int run = 0; run < 20; ++run) {
        QString reason;
        EXPECT_FALSE(send(QStringLiteral("VX\\Bug"), CAttributes(), reason));
        EXPECT_EQ(reason, QStringLiteral("Status")) << run;
    }
}

TEST_F(CLTest, AnythingButAWholeAnswerFailsWithCannotSend)
{
    struct Case {
        const char* what;
        FeedbackServer::Mode mode;
        int status;
    };
    const Case cases[] = {
        {"no answer at all", FeedbackServer::Mode::Drop, 200},
        {"body cut short", FeedbackServer::Mode::CutBody, 200},
        {"headers held at the limit", FeedbackServer::Mode::HoldInHeaders, 200},
    };
    cl.setTimeLimit(1s);
    for (const Case& c : cases) {
        server.answer(c.status, "Status");
        server.setMode(c.mode);
        QString reason;
        QElapsedTimer elapsed;
        elapsed.start();
        EXPECT_FALSE(send(QStringLiteral("VX\\Bug"), CAttributes(), reason)) << c.what;
        EXPECT_EQ(reason, QStringLiteral("Cannot send. ")) << c.what;
        EXPECT_LT(elapsed.elapsed(), 5000) << c.what;
    }
    // The request held in its headers was aborted, not left open.
    EXPECT_TRUE(testsupport::waitUntil([&] { return server.abandoned() == 1; }));
}

TEST_F(CLTest, NoAnswerWithinTheLimitFailsAfterTheLimit)
{
    expectTimeOutAfter(1s);
}

TEST_F(CLTest, TheLimitHoldsAcrossLocalMidnight)
{
    // Local time made to read 23:59:58 now, so that the wait runs over midnight.
    const qint64 nowUtc = QDateTime::currentSecsSinceEpoch() % 86400;
    qint64 behind = (nowUtc - 86398 + 86400) % 86400; // POSIX: local = UTC - offset
    if (behind > 43200)
        behind -= 86400;
    const qint64 magnitude = behind < 0 ? -behind : behind;
    const QByteArray tz = QStringLiteral("QKT%1%2:%3:%4")
                              .arg(behind < 0 ? QStringLiteral("-") : QStringLiteral("+"))
                              .arg(magnitude / 3600, 2, 10, QLatin1Char('0'))
                              .arg(magnitude / 60 % 60, 2, 10, QLatin1Char('0'))
                              .arg(magnitude % 60, 2, 10, QLatin1Char('0'))
                              .toLatin1();
    const testsupport::ScopedEnv zone("TZ", tz);
    ASSERT_EQ(QTime::currentTime().hour(), 23) << tz.constData();
    expectTimeOutAfter(3s);
}

TEST_F(CLTest, TheUserInterfaceRunsDuringTheWaitAndCancelEndsIt)
{
    server.answer(200, "OK", 30s);
    bool ranMeanwhile = false;
    QTimer::singleShot(50ms, &cl, [&] {
        ranMeanwhile = cl.isSending();
        cl.cancel();
    });
    QString reason;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(send(QStringLiteral("VX\\Question"), CAttributes(), reason));
    EXPECT_TRUE(ranMeanwhile);
    EXPECT_EQ(reason, QStringLiteral("Cannot send. "));
    EXPECT_LT(elapsed.elapsed(), 5000);
    EXPECT_FALSE(cl.isSending());
}

TEST(CLHost, EnvironmentThenSettingThenBuildDefault)
{
    const testsupport::TempHome home;
    const testsupport::ScopedEnv noHost("QUINTARA_FEEDBACK_HOST", QByteArray());
    EXPECT_FALSE(CL::DefaultFeedbackHost().isEmpty());
    EXPECT_EQ(CL::FeedbackHost(), CL::DefaultFeedbackHost());
    zentrel::CRegistry().WriteString(zentrel::CRegistry::kCurrentUser,
                                     ProgramSettings::programKey(), QStringLiteral("FeedbackHost"),
                                     QStringLiteral(" 127.0.0.1:9 "));
    EXPECT_EQ(CL::FeedbackHost(), QStringLiteral("127.0.0.1:9"));
    const testsupport::ScopedEnv host("QUINTARA_FEEDBACK_HOST", "127.0.0.1:7");
    EXPECT_EQ(CL::FeedbackHost(), QStringLiteral("127.0.0.1:7"));
    EXPECT_EQ(CL::EndpointURL(), QStringLiteral("http://127.0.0.1:7/php/ic.php"));
}

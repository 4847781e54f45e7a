#include <functional>
#include <memory>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/ProgramWiring.h"
#include "app/feedback/ContactMenu.h"
#include "app/feedback/FAskQuestion.h"
#include "app/feedback/FMakeSuggestion.h"
#include "app/feedback/FReportBug.h"
#include "app/feedback/FSendTestimonial.h"
#include "app/feedback/FeedbackHelpers.h"
#include "app/shell/FMain.h"
#include "app/shell/MsgScript.h"
#include "engine/platform/CLog.h"
#include "tests/app/feedback/FeedbackRecordXml.h"
#include "tests/app/feedback/FeedbackServer.h"
#include "tests/app/feedback/SentRecord.h"
#include "tests/support/OnModal.h"
#include "tests/support/TestSupport.h"

using namespace std::chrono_literals;

namespace {

struct FormCase {
    const char* typeName;
    std::function<std::unique_ptr<FeedbackForm>()> create;
    QString caption;
    QString category;
    // Text boxes in order, with their labels, attribute names and empty-field messages.
    std::vector<const char*> boxes;
    std::vector<const char*> labels;
    QStringList keys;
    QStringList emptyMessages;
    QString success;
    QString failure;
};

template <class T> std::function<std::unique_ptr<FeedbackForm>()> maker()
{
    return [] { return std::make_unique<T>(); };
}

const QString kName = QStringLiteral("Please provide your name. ");
const QString kEmail = QStringLiteral("Please provide your e-mail. ");

std::vector<FormCase> formCases()
{
    return {
        {"FAskQuestion",
         maker<FAskQuestion>(),
         QStringLiteral("Ask a Question"),
         QStringLiteral("VX\\Question"),
         {"txtName", "txtEmail", "txtQuestion"},
         {"Your Name:", "Your E-mail:", "Your Question:"},
         {"name", "email", "question"},
         {kName, kEmail, QStringLiteral("Question cannot be empty. ")},
         QStringLiteral("Your question has been sent successfully. "),
         QStringLiteral("Cannot send question. Ensure you are online now. ")},
        {"FMakeSuggestion",
         maker<FMakeSuggestion>(),
         QStringLiteral("Make a Suggestion"),
         QStringLiteral("VX\\Suggestion"),
         {"txtName", "txtEmail", "txtSuggestion"},
         {"Your Name:", "Your E-mail:", "Your Suggestion:"},
         {"name", "email", "suggestion"},
         {kName, kEmail, QStringLiteral("Suggestion cannot be empty. ")},
         QStringLiteral("Your suggestion has been sent successfully. "),
         QStringLiteral("Cannot send suggestion. Ensure you are online now. ")},
        {"FReportBug",
         maker<FReportBug>(),
         QStringLiteral("Report a Bug"),
         QStringLiteral("VX\\Bug"),
         {"txtName", "txtEmail", "txtBug"},
         {"Your Name:", "Your E-mail:", "Description of Problem:"},
         {"name", "email", "bug"},
         {kName, kEmail, QStringLiteral("Problem description cannot be empty. ")},
         QStringLiteral("Your problem description has been sent successfully. "),
         QStringLiteral("Cannot send problem description. Ensure you are online now. ")},
        {"FSendTestimonial",
         maker<FSendTestimonial>(),
         QStringLiteral("Send Testimonial"),
         QStringLiteral("VX\\Testimonial"),
         {"txtName", "txtEmail", "txtLocation", "txtTestimonial"},
         {"Your Name:", "Your E-mail:", "City, State:", "Testimonial:"},
         {"name", "email", "location", "testimonial"},
         {kName, kEmail, QStringLiteral("Please provide your location. "),
          QStringLiteral("Testimonial cannot be empty. ")},
         QStringLiteral("Your testimonial has been sent successfully. "),
         QStringLiteral("Cannot send testimonial. Ensure you are online now. ")},
    };
}

class FeedbackFormTest : public ::testing::Test {
protected:
    FeedbackFormTest()
    {
        log->Open(home.file(QStringLiteral("QuintaraKeywords.log")),
                  home.file(QStringLiteral("short.log")));
        log->Write(0, QStringLiteral("*** Start App ***"), 5, QStringLiteral("Main.MMain"));
    }

    std::unique_ptr<FeedbackForm> open(const FormCase& c)
    {
        auto form = c.create();
        form->init(log);
        form->show();
        return form;
    }

    static void fill(FeedbackForm& form, const FormCase& c)
    {
        for (std::size_t i = 0; i < c.boxes.size(); ++i)
            form.setText(QString::fromLatin1(c.boxes[i]),
                         QStringLiteral("value %1 & <more>").arg(i));
    }

    QString logText() const
    {
        QFile file(log->LogFile());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    testsupport::TempHome home;
    FeedbackServer server;
    testsupport::ScopedEnv host{"QUINTARA_FEEDBACK_HOST", server.host().toUtf8()};
    std::shared_ptr<zentrel::CLog> log = std::make_shared<zentrel::CLog>();
    MsgScript script;
};

} // namespace

TEST_F(FeedbackFormTest, EachFormHasItsCaptionBoxesAndLabels)
{
    for (const FormCase& c : formCases()) {
        const auto form = open(c);
        EXPECT_EQ(form->windowTitle(), c.caption) << c.typeName;
        for (std::size_t i = 0; i < c.boxes.size(); ++i) {
            QWidget* box = form->textBox(QString::fromLatin1(c.boxes[i]));
            ASSERT_NE(box, nullptr) << c.boxes[i];
            bool labelled = false;
            for (const QLabel* label : form->findChildren<QLabel*>())
                labelled = labelled || (label->buddy() == box && label->text() == c.labels[i]);
            EXPECT_TRUE(labelled) << c.typeName << " " << c.boxes[i];
        }
        EXPECT_EQ(form->cmdSend()->text(), QStringLiteral("&Send"));
        EXPECT_EQ(form->cmdCancel()->text(), QStringLiteral("Cancel"));
        EXPECT_EQ(form->chkAgree() != nullptr, c.typeName == std::string("FSendTestimonial"));
    }
    FSendTestimonial testimonial;
    EXPECT_EQ(testimonial.chkAgree()->text(),
              QStringLiteral("May we use your first name and location ?"));
    bool offersSupport = false;
    for (const QLabel* label : testimonial.findChildren<QLabel*>())
        offersSupport = offersSupport || label->text().contains(FeedbackHelpers::SupportEMail());
    EXPECT_TRUE(offersSupport);
}

TEST_F(FeedbackFormTest, FieldsAreCheckedInOrderAndOnlyTheFirstEmptyOneIsNamed)
{
    for (const FormCase& c : formCases()) {
        const auto form = open(c);
        for (std::size_t filled = 0; filled < c.boxes.size(); ++filled) {
            script.clear();
            form->cmdSend_Click();
            const auto shown = script.shown(MsgService::Kind::Message);
            ASSERT_EQ(shown.size(), 1) << c.typeName << " " << filled;
            EXPECT_EQ(shown[0].prompt, c.emptyMessages[static_cast<qsizetype>(filled)]);
            EXPECT_EQ(shown[0].style, MsgService::Exclamation);
            EXPECT_EQ(shown[0].title, QStringLiteral("Quintara Keywords"));
            form->setText(QString::fromLatin1(c.boxes[filled]), QStringLiteral(" "));
        }
        EXPECT_TRUE(server.requests().empty()) << c.typeName;
    }
}

TEST_F(FeedbackFormTest, ASentFormCarriesItsValuesAndTheLogThenSaysSoAndHides)
{
    std::size_t sent = 0;
    for (const FormCase& c : formCases()) {
        const auto form = open(c);
        fill(*form, c);
        // Blanks are text: a name of blanks is sent as it stands.
        form->setText(QStringLiteral("txtName"), QStringLiteral("   "));
        script.clear();
        form->cmdSend_Click();
        ASSERT_EQ(server.requests().size(), ++sent) << c.typeName;
        const SentRecord record = decodeBody(server.requests().back().body);
        ASSERT_TRUE(record.decoded);
        EXPECT_TRUE(record.subject.startsWith(c.category + QLatin1Char('\\'))) << c.typeName;
        const auto values = recordValues(record.xml);
        QStringList expectedNames = c.keys;
        if (form->chkAgree())
            expectedNames << QStringLiteral("agreed");
        expectedNames << QStringLiteral("log");
        EXPECT_EQ(namesOf(values), expectedNames) << c.typeName;
        EXPECT_EQ(valueOf(values, QStringLiteral("name")), QStringLiteral("   "));
        EXPECT_EQ(valueOf(values, QString::fromLatin1(c.keys.last().toLatin1())),
                  QStringLiteral("value %1 & <more>").arg(c.boxes.size() - 1));
        EXPECT_TRUE(valueOf(values, QStringLiteral("log")).contains(u"*** Start App ***"));

        const auto shown = script.shown(MsgService::Kind::Message);
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].prompt, c.success);
        EXPECT_EQ(shown[0].style, MsgService::Information);
        EXPECT_FALSE(form->isVisible()) << c.typeName;
    }
}

TEST_F(FeedbackFormTest, TheTestimonialIsSentWithOrWithoutConsent)
{
    const FormCase c = formCases().back();
    for (const bool agreed : {false, true}) {
        const auto form = open(c);
        fill(*form, c);
        form->chkAgree()->setChecked(agreed);
        form->cmdSend_Click();
        const auto values = recordValues(decodeBody(server.requests().back().body).xml);
        EXPECT_EQ(valueOf(values, QStringLiteral("agreed")), agreed ? u"1" : u"0");
    }
}

TEST_F(FeedbackFormTest, AFailedSendIsLoggedAndTheFormKeepsItsTexts)
{
    server.answer(404, "Not Found");
    for (const FormCase& c : formCases()) {
        const auto form = open(c);
        fill(*form, c);
        script.clear();
        form->cmdSend_Click();
        const auto shown = script.shown(MsgService::Kind::Message);
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].prompt, c.failure);
        EXPECT_EQ(shown[0].style, MsgService::Exclamation);
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->cmdSend()->isEnabled());
        EXPECT_EQ(form->text(QString::fromLatin1(c.boxes[0])), QStringLiteral("value 0 & <more>"));
        const QString line = QStringLiteral("0x80040401\t") + QString::fromLatin1(c.typeName) +
                             QStringLiteral(".cmdSend_Click\tCannot contact. Not Found");
        EXPECT_TRUE(logText().contains(line)) << line.toStdString();
        EXPECT_TRUE(logText().contains(QStringLiteral("\t4\t0x80040401")));
    }
}

TEST_F(FeedbackFormTest, SendIsDisabledWhileARecordIsOnItsWaySoASecondClickSendsNothing)
{
    server.answer(200, "OK", 400ms);
    const FormCase c = formCases().front();
    const auto form = open(c);
    fill(*form, c);
    bool disabledMeanwhile = false;
    QTimer::singleShot(100ms, form.get(), [&] {
        disabledMeanwhile = !form->cmdSend()->isEnabled();
        form->cmdSend()->click();
        form->cmdSend_Click();
    });
    form->cmdSend_Click();
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(script.shown(MsgService::Kind::Message).size(), 1);
}

TEST_F(FeedbackFormTest, ClosingTheFormDuringTheWaitCancelsTheSendAndClosesIt)
{
    server.answer(200, "OK", 30s);
    for (const bool byCancelButton : {false, true}) {
        const FormCase c = formCases().front();
        const auto form = open(c);
        fill(*form, c);
        script.clear();
        QTimer::singleShot(100ms, form.get(), [&] {
            if (byCancelButton)
                form->cmdCancel()->click();
            else
                form->close();
        });
        QElapsedTimer elapsed;
        elapsed.start();
        form->cmdSend_Click();
        EXPECT_LT(elapsed.elapsed(), 5000);
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(script.shown().isEmpty());
        EXPECT_TRUE(form->cmdSend()->isEnabled());
    }
}

TEST_F(FeedbackFormTest, ARecordCarriesAtMostTheLogsLastFourMebibytesFromALineStart)
{
    {
        QFile file(log->LogFile());
        ASSERT_TRUE(file.open(QIODevice::Append));
        const QByteArray line = QByteArray(99, 'x') + '\n';
        for (int i = 0; i < 50 * 1024; ++i) // 5 MiB
            file.write(line);
        file.write("last line\n");
    }
    const FormCase c = formCases().front();
    const auto form = open(c);
    fill(*form, c);
    form->cmdSend_Click();
    ASSERT_EQ(server.requests().size(), 1u);
    const QString sentLog =
        valueOf(recordValues(decodeBody(server.requests().back().body).xml), QStringLiteral("log"));
    EXPECT_LE(sentLog.toUtf8().size(), FeedbackHelpers::kMaxLogBytes);
    EXPECT_GT(sentLog.toUtf8().size(), FeedbackHelpers::kMaxLogBytes - 100);
    EXPECT_TRUE(sentLog.startsWith(QString(99, u'x') + u'\n'));
    EXPECT_TRUE(sentLog.endsWith(u"last line\n"));
}

TEST(FeedbackHelpers, LogTextCutsTheTailAtALineStart)
{
    const testsupport::TempHome home;
    struct Case {
        QByteArray content;
        qint64 limit;
        QString text;
    };
    const Case cases[] = {
        {"one\ntwo\n", 100, QStringLiteral("one\ntwo\n")},
        {"one\ntwo\n", 8, QStringLiteral("one\ntwo\n")},
        {"one\ntwo\nthree\n", 10, QStringLiteral("two\nthree\n")},
        {"one\ntwo\nthree\n", 9, QStringLiteral("three\n")},
        {"one\ntwo\nthree\n", 6, QStringLiteral("three\n")},
        {"one\ntwo\nthree\n", 5, QString()},
        {"no line break at all", 5, QString()},
        {"", 5, QString()},
    };
    const QString path = home.file(QStringLiteral("test.log"));
    for (const Case& c : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.content);
        file.close();
        EXPECT_EQ(FeedbackHelpers::LogText(path, c.limit), c.text)
            << c.content.constData() << c.limit;
    }
    EXPECT_EQ(FeedbackHelpers::LogText(home.file(QStringLiteral("missing.log"))), QString());
}

TEST_F(FeedbackFormTest, TheContactItemsOpenTheirFormsModalOverTheOwner)
{
    struct Case {
        const char* menu;
        const char* form;
    };
    const Case cases[] = {{"mnuAskQuestion", "FAskQuestion"},
                          {"mnuMakeSuggestion", "FMakeSuggestion"},
                          {"mnuReportBug", "FReportBug"},
                          {"mnuSendTestimonial", "FSendTestimonial"}};
    ProgramWiring wiring;
    FMain window;
    wiring.wire(window);
    window.setLog(log);
    for (const Case& c : cases) {
        QString opened;
        QWidget* owner = nullptr;
        testsupport::onModal<FeedbackForm>([&](FeedbackForm* form) {
            opened = QString::fromLatin1(form->metaObject()->className());
            owner = form->parentWidget();
            form->cmdCancel()->click();
        });
        window.menuItem(QString::fromLatin1(c.menu))->trigger();
        EXPECT_EQ(opened, QString::fromLatin1(c.form));
        EXPECT_EQ(owner, &window);
    }
    EXPECT_FALSE(ContactMenu::Run(QStringLiteral("mnuPaste"), &window, log));
}

#include <memory>

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/shell/MMisc.h"
#include "app/shell/ProgramSettings.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CRegistry.h"
#include "tests/support/TestSupport.h"

using zentrel::CRegistry;

namespace {

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// QUINTARA_BROWSER pointed at a script that appends each argument as a line to a file.
class BrowserRecorder {
public:
    BrowserRecorder()
        : m_env("QUINTARA_BROWSER", writeScript())
    {
    }

    QStringList opened() const { return readText(m_output).split(u'\n', Qt::SkipEmptyParts); }

private:
    QByteArray writeScript()
    {
        const QString script = m_dir.filePath("browser.sh");
        QFile file(script);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"" + m_output.toUtf8() + "\"\n");
            file.close();
        }
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return script.toUtf8();
    }

    QTemporaryDir m_dir;
    QString m_output = m_dir.filePath("opened.txt");
    testsupport::ScopedEnv m_env;
};

struct Fixture {
    testsupport::TempHome home;
    BrowserRecorder browser;
    std::shared_ptr<zentrel::CLog> log = std::make_shared<zentrel::CLog>();

    Fixture() { log->Open(home.file("full.log"), home.file("short.log")); }

    QString logText() const { return readText(home.file("full.log")); }

    void open(const QString& kw, int se) { MMisc::OpenSERForKW(kw, se, log); }

    QString waitForOne()
    {
        if (!testsupport::waitUntil([&] { return browser.opened().size() == 1; }))
            return {};
        return browser.opened().first();
    }
};

} // namespace

TEST(MMiscSearch, EscapeURLPart)
{
    const struct {
        QString text;
        QString escaped;
    } cases[] = {
        {"", ""},
        {"plain words & 100% ?=#/", "plain words & 100% ?=#/"},
        {"c++", "c%2B%2B"},
        {"a\r\nb", "a%0D%0Ab"},
        {"dir\\file", "dir%5Cfile"},
        // Replacements made earlier are not escaped again.
        {"%2B+", "%2B%2B"},
        {"+\\\r\n", "%2B%5C%0D%0A"},
        {QString::fromUtf8("caf\xc3\xa9 \t"), QString::fromUtf8("caf\xc3\xa9 \t")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MMisc::EscapeURLPart(c.text), c.escaped) << c.text.toStdString();
}

TEST(MMiscSearch, OpensTheEnginesResultsPage)
{
    Fixture f;
    f.open("  c++ source code  ", 1);
    EXPECT_EQ(f.waitForOne(), "http://www.google.com/search?hl=en&q=c%2B%2B+source+code");
    EXPECT_FALSE(f.logText().contains("MMisc.OpenSERForKW"));
}

TEST(MMiscSearch, KeywordIsPercentEncodedWholly)
{
    const struct {
        QString kw;
        QString query;
    } cases[] = {
        {"black & decker", "black+%26+decker"},
        {"50% off #1?", "50%25+off+%231%3F"},
        {"a=b/c", "a%3Db%2Fc"},
        {QString::fromUtf8("caf\xc3\xa9 au lait"), "caf%C3%A9+au+lait"},
    };
    Fixture f;
    for (const auto& c : cases) {
        f.open(c.kw, 6);
        ASSERT_TRUE(testsupport::waitUntil([&] {
            return f.browser.opened().contains("http://www.teoma.com/search?q=" + c.query);
        })) << c.kw.toStdString();
    }
}

TEST(MMiscSearch, LastEngineAndHostFromSettings)
{
    Fixture f;
    CRegistry().WriteString(CRegistry::kCurrentUser, ProgramSettings::programKey(),
                            "SearchEngineHost7", "127.0.0.1:8080");
    f.open("back\\slash a", 7);
    EXPECT_EQ(f.waitForOne(), "http://127.0.0.1:8080/results.asp?q=back%5Cslash+a");
}

TEST(MMiscSearch, EachEngineHasItsDefaultTemplate)
{
    const QStringList expected = {
        "http://www.google.com/search?hl=en&q=k+w",
        "http://www.alltheweb.com/search?cat=web&q=k+w",
        "http://www.altavista.com/web/results?q=k+w&kgs=0&kls=0&avkw=aapt",
        "http://search.yahoo.com/search?p=k+w&fr=fp-top",
        "http://www.overture.com/d/search/?type=home&mkt=us&Keywords=k+w",
        "http://www.teoma.com/search?q=k+w",
        "http://search.msn.com/results.asp?q=k+w",
    };
    Fixture f;
    for (int se = 1; se <= 7; ++se) {
        f.open("k w", se);
        ASSERT_TRUE(testsupport::waitUntil([&] { return f.browser.opened().size() == se; }));
    }
    EXPECT_EQ(f.browser.opened(), expected);
}

TEST(MMiscSearch, EngineOutsideTheTableIsLoggedAndNothingOpens)
{
    Fixture f;
    f.open("kw", 0);
    f.open("kw", 8);
    const QStringList lines = f.logText().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    for (const QString& line : lines) {
        const QStringList fields = line.split('\t');
        ASSERT_GE(fields.size(), 5);
        EXPECT_EQ(fields.at(1), "4");
        EXPECT_EQ(fields.at(3), "MMisc.OpenSERForKW");
    }
    EXPECT_TRUE(readText(f.home.file("short.log")).contains("MMisc.OpenSERForKW"));
    // A valid call afterwards is the only one the browser sees.
    f.open("kw", 6);
    EXPECT_EQ(f.waitForOne(), "http://www.teoma.com/search?q=kw");
    EXPECT_EQ(f.browser.opened().size(), 1);
}

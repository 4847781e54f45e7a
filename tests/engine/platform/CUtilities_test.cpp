#include "engine/platform/CUtilities.h"

#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <sqlite3.h>

#include "tests/support/ScopedEnv.h"

using testsupport::ScopedEnv;
using zentrel::CUtilities;

TEST(CUtilities, Format)
{
    const QStringList ten{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"};
    struct Case {
        QString templ;
        QStringList args;
        QString expected;
    };
    const Case cases[] = {
        {"Loaded from '%1'.", {"x.txt"}, "Loaded from 'x.txt'."},
        {"%2-%1-%2", {"a", "b"}, "b-a-b"},
        {"{guid %2}", {"x", "{A-B}"}, "{guid {A-B}}"},
        {"%10|%1|%9", ten, "j|a|i"},
        {"%10", {"a"}, "%10"},
        {"%1%2", {"%2", "z"}, "%2z"},
        {"%3 stays, %0 stays, %% stays, % stays", {"a"}, "%3 stays, %0 stays, %% stays, % stays"},
        {"end %", {"a"}, "end %"},
        {"no args %1", {}, "no args %1"},
        {"", {"a"}, ""},
        {"%1", {""}, ""},
        {"%01", {"a"}, "a"},
        {"%99999999999999999999", {"a"}, "%99999999999999999999"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CUtilities::Format(c.templ, c.args), c.expected) << c.templ.toStdString();
}

TEST(CUtilities, EscapeSQL)
{
    const std::pair<QString, QString> cases[] = {
        {"", ""},       {"plain", "plain"},           {"it's", "it''s"},
        {"''", "''''"}, {"'a' \"b\"", "''a'' \"b\""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CUtilities::EscapeSQL(text), expected) << text.toStdString();
}

TEST(CUtilities, URLEncode)
{
    const std::pair<QString, QString> cases[] = {
        {"", ""},
        {"AZaz09-_.~", "AZaz09-_.~"},
        {"red shoes", "red+shoes"},
        {"a+b&c=d", "a%2Bb%26c%3Dd"},
        {"100%", "100%25"},
        {"line\r\nend\\", "line%0D%0Aend%5C"},
        {"/?#'\"", "%2F%3F%23%27%22"},
        {"Grüße", "Gr%C3%BC%C3%9Fe"},
        {"😀", "%F0%9F%98%80"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CUtilities::URLEncode(text), expected) << text.toStdString();
}

TEST(CUtilities, NewNameIsANewBracedUpperCaseGuidEveryCall)
{
    const QRegularExpression form(
        QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    std::set<QString> names;
    for (int i = 0; i < 1000; ++i) {
        const QString name = CUtilities::NewName();
        ASSERT_TRUE(form.match(name).hasMatch()) << name.toStdString();
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 1000u);
}

TEST(CUtilities, TempFolderIsOursAndTempFileNamesAreNewInIt)
{
    const QString folder = CUtilities::TempFolder();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(CUtilities::TempFolder(), folder);
    EXPECT_EQ(QFileInfo(folder).absolutePath(), QDir(QDir::tempPath()).absolutePath());
    EXPECT_NE(QDir(folder).dirName(), QDir(QDir::tempPath()).dirName());

    const QRegularExpression form(QStringLiteral("^vx[0-9A-F]{4,}\\.tmp$"));
    std::set<QString> names;
    for (int i = 0; i < 300; ++i) {
        const QString name = CUtilities::TempFileName(QStringLiteral("vx"));
        EXPECT_EQ(QFileInfo(name).absolutePath(), folder);
        EXPECT_TRUE(form.match(QFileInfo(name).fileName()).hasMatch()) << name.toStdString();
        EXPECT_FALSE(QFileInfo::exists(name));
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 300u);

    // A name is not handed out when a file of that name is already there.
    QString next = CUtilities::TempFileName(QStringLiteral("jx"));
    const QString taken =
        QFileInfo(next).path() + QStringLiteral("/jx") +
        QString::number(QFileInfo(next).baseName().mid(2).toInt(nullptr, 16) + 1, 16)
            .toUpper()
            .rightJustified(4, QLatin1Char('0')) +
        QStringLiteral(".tmp");
    QFile file(taken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_NE(CUtilities::TempFileName(QStringLiteral("jx")), taken);

    CUtilities::RemoveTempFolder();
    EXPECT_FALSE(QFileInfo::exists(folder));
    const QString again = CUtilities::TempFolder();
    EXPECT_TRUE(QFileInfo(again).isDir());
    CUtilities::RemoveTempFolder();
}

TEST(CUtilities, TempFileNamesFromManyThreadsAreAllDifferent)
{
    constexpr int kThreads = 8;
    constexpr int kNames = 200;
    std::vector<QStringList> names(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&names, t] {
            for (int i = 0; i < kNames; ++i)
                names[t] << CUtilities::TempFileName(QStringLiteral("vx"));
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::set<QString> all;
    for (const QStringList& list : names)
        all.insert(list.begin(), list.end());
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kNames));
    CUtilities::RemoveTempFolder();
}

TEST(CUtilities, IsOnlineCanBeForced)
{
    {
        const ScopedEnv env("QUINTARA_ONLINE", "1");
        EXPECT_TRUE(CUtilities::IsOnline());
    }
    {
        const ScopedEnv env("QUINTARA_ONLINE", "0");
        EXPECT_FALSE(CUtilities::IsOnline());
    }
}

TEST(CUtilities, ProcessMessagesRunsTheCallingThreadsPendingEvents)
{
    const auto postAndPump = [] {
        bool ran = false;
        QObject context;
        QMetaObject::invokeMethod(
            &context, [&ran] { ran = true; }, Qt::QueuedConnection);
        CUtilities::ProcessMessages();
        return ran;
    };
    EXPECT_TRUE(postAndPump());

    bool ranOnWorker = false;
    std::unique_ptr<QThread> worker(QThread::create([&] { ranOnWorker = postAndPump(); }));
    worker->start();
    ASSERT_TRUE(worker->wait(10000));
    EXPECT_TRUE(ranOnWorker);
}

TEST(CUtilities, IsArrayEmpty)
{
    EXPECT_TRUE(CUtilities::IsArrayEmpty(QVariant()));
    EXPECT_TRUE(CUtilities::IsArrayEmpty(QVariantList()));
    EXPECT_TRUE(CUtilities::IsArrayEmpty(QStringLiteral("text")));
    EXPECT_TRUE(CUtilities::IsArrayEmpty(5));
    EXPECT_FALSE(CUtilities::IsArrayEmpty(QVariantList{1}));
    EXPECT_FALSE(CUtilities::IsArrayEmpty(QStringList{"a"}));
    EXPECT_FALSE(CUtilities::IsArrayEmpty(QVariant::fromValue(QList<QVariantList>{{1, 2}})));
}

TEST(CUtilities, VersionsAndDataComponents)
{
    QString mdac;
    QString jet;
    CUtilities::GetDataComponentsVersions(mdac, jet);
    EXPECT_EQ(mdac, QStringLiteral("Qt ") + QString::fromLatin1(qVersion()));
    EXPECT_EQ(jet, QStringLiteral("SQLite ") + QString::fromLatin1(sqlite3_libversion()));
    EXPECT_EQ(CUtilities::CheckDataComponents(), sqlite3_libversion_number() >= 3035000);
    EXPECT_FALSE(CUtilities::GetWindowsVersion().isEmpty());
}

TEST(CUtilities, EncodeBinaryIsBase64OfEveryByte)
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    const QString text = CUtilities::EncodeBinary(bytes);
    EXPECT_EQ(QByteArray::fromBase64(text.toLatin1()), bytes);
    EXPECT_EQ(CUtilities::EncodeBinary(QByteArray("Man")), "TWFu");
    EXPECT_EQ(CUtilities::EncodeBinary(QByteArray()), "");
}

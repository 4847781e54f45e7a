#include <QProcess>
#include <QStandardPaths>

#include "engine/database/MParser.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDate.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

// Keywords with letters whose case fold is not their lower case, each with another spelling
// that the engine takes for the same keyword.
struct Spelling {
    const char* letter;
    QString stored;
    QString other;
};

const std::vector<Spelling>& spellings()
{
    static const std::vector<Spelling> all = {
        {"micro sign", QString::fromUtf8("5 \u00b5g dose"), QString::fromUtf8("5 \u03bcg dose")},
        {"final sigma", QString::fromUtf8("\u03bb\u03cc\u03b3\u03bf\u03c2 word"),
         QString::fromUtf8("\u039b\u038c\u0393\u039f\u03a3 WORD")},
        {"long s", QString::fromUtf8("\u017fun hat"), QStringLiteral("sun hat")},
        {"Kelvin sign", QString::fromUtf8("5 \u212a lamp"), QStringLiteral("5 k lamp")},
        {"beta symbol", QString::fromUtf8("\u03d0eta max"), QString::fromUtf8("\u03b2eta max")},
        {"Cherokee", QString::fromUtf8("\u13a0ga word"), QString::fromUtf8("\uab70ga word")},
        {"iota subscript", QString::fromUtf8("a\u0345b word"), QString::fromUtf8("a\u03b9b word")},
    };
    return all;
}

// One keyword for every letter whose fold differs from its lower case (a binary file taken
// as text brings many of them).
QStringList everyDifferingLetter()
{
    QStringList keywords;
    for (char32_t c = 0x80; c <= 0x10ffff; ++c) {
        if (c >= 0xd800 && c <= 0xdfff)
            continue;
        const QString letter = QStringView(QChar::fromUcs4(c)).toString();
        const QString lower = letter.toLower();
        if (lower.toCaseFolded() != lower || letter.toCaseFolded() != lower)
            keywords << QStringLiteral("qq") + letter + QStringLiteral("x zz");
    }
    return keywords;
}

bool hasClient()
{
    return !QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty();
}

// What the sqlite3 client prints for the statement on the file.
QString client(const QString& file, const QString& sql)
{
    QProcess process;
    process.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), file, sql});
    if (!process.waitForFinished(60000))
        return QStringLiteral("the client did not finish");
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())
        .trimmed();
}

class StoredKeys : public DBaserFixture {
protected:
    void SetUp() override
    {
        if (!hasClient())
            GTEST_SKIP() << "the sqlite3 client is not installed (scripts/setup installs it)";
    }

    // Closes the files and asks the client to check both.
    void expectSound(const char* when)
    {
        db.reset();
        for (const QString& file : {cacheFile, projectFile})
            EXPECT_EQ(client(file, "PRAGMA integrity_check"), "ok")
                << when << ": " << file.toStdString();
    }

    void reindexByTheClient()
    {
        db.reset();
        for (const QString& file : {cacheFile, projectFile})
            EXPECT_EQ(client(file, "REINDEX"), "") << file.toStdString();
    }

    void reopen()
    {
        db = std::make_unique<DBaser>();
        db->Init(log);
        openBoth();
    }

    // The engine still takes every other spelling for the keyword it stored, finds it and its
    // count, and stores no second row for it.
    void expectEveryKeywordFound(const char* when)
    {
        const int before = keywordCount();
        QStringList others;
        for (const Spelling& s : spellings())
            others << s.other;
        addKeywords(others);
        EXPECT_EQ(keywordCount(), before) << when;
        EXPECT_EQ(projectScalar("SELECT count(*) FROM (SELECT DISTINCT Normalized COLLATE "
                                "NOCASE FROM Keyword)")
                      .toInt(),
                  before)
            << when;
        for (const Spelling& s : spellings()) {
            EXPECT_GT(db->OverDate(MParser::LowerCase(s.other)), SqlDate::zeroDate())
                << when << ": " << s.letter;
            EXPECT_TRUE(db->UpdateKW(MParser::LowerCase(s.other))) << when << ": " << s.letter;
        }
    }

    void countEverySpelling()
    {
        CDataNode counts;
        int count = 10;
        for (const Spelling& s : spellings())
            counts.Attributes().Add(MParser::NormalizeKW(s.other), ++count);
        // Counts come under the names the service gives, letters as they are.
        for (const QString& kw : everyDifferingLetter())
            counts.Attributes().Add(MParser::NormalizeKW(kw), 1);
        db->AddOvertured(counts, {});
    }
};

TEST_F(StoredKeys, KeysStoredNowAreInTheOrderOfEverySQLiteClient)
{
    openBoth();
    QStringList stored;
    for (const Spelling& s : spellings())
        stored << s.stored;
    addKeywords(stored + everyDifferingLetter());
    countEverySpelling();
    // A respelling keeps its letters as given but for their fold.
    EXPECT_TRUE(db->UpdateKW(QString::fromUtf8("Dose 5 \u00b5g")));
    EXPECT_EQ(projectScalar("SELECT KW FROM Keyword WHERE KW LIKE 'Dose%'").toString(),
              QString::fromUtf8("Dose 5 \u03bcg"));
    expectSound("after storing");

    reindexByTheClient();
    expectSound("after the client's REINDEX");
    reopen();
    expectEveryKeywordFound("after the client's REINDEX");
    expectSound("after the engine wrote again");
}

// Rows as an older engine stored them: keys lower-cased but not folded.
class OlderFiles : public StoredKeys {
protected:
    void SetUp() override
    {
        StoredKeys::SetUp();
        if (IsSkipped())
            return;
        openBoth(); // the files as the program made them, with groups and indexes
        m_top = db->AddGroup("top");
        m_other = db->AddGroup("other");
        db.reset();
        auto project = SqlConnection::open(projectFile);
        auto cache = SqlConnection::open(cacheFile);
        project->exec("PRAGMA user_version = 0");
        cache->exec("PRAGMA user_version = 0");
        project->exec(QStringLiteral(
            "INSERT INTO Operation (pkOperation, Processed, Description) VALUES ('{o1}', 0, "
            "'one'), ('{o2}', 0, 'two'), ('{o3}', 0, 'three');"));
        // The same keyword twice: its two identities were sorted in different orders.
        row(*project, 1, "5 \u00b5g dose", "5 dose \u00b5g", 3, {m_top}, {"{o1}"}, {});
        row(*project, 2, "\u00f1u \u00b5g", "\u00b5g \u00f1u", {}, {m_other}, {"{o2}"}, {});
        row(*project, 3, "\u00f1u \u03bcg", "\u00f1u \u03bcg", 0, {m_top}, {"{o1}", "{o3}"}, 50.0);
        row(*project, 4, "\u03bb\u03cc\u03b3\u03bf\u03c2 word",
            "word \u03bb\u03cc\u03b3\u03bf\u03c2", 5, {}, {"{o1}"}, {});
        row(*project, 5, "plain words", "plain words", 2, {m_other}, {}, {});
        cache->exec(QString::fromUtf8(
            "INSERT INTO Cache (KW, Count, dte) VALUES ('5 dose \u00b5g', 10, 100), "
            "('\u00b5g \u00f1u', 5, 300), ('\u00f1u \u03bcg', 7, 200), "
            "('word \u03bb\u03cc\u03b3\u03bf\u03c2', 3, 100), ('Plain Words', 4, 100)"));
    }

    void row(SqlConnection& project, int id, const char* kw, const char* normalized,
             const QVariant& relevancy, const QVariantList& groups, const QStringList& operations,
             const QVariant& lookupDate)
    {
        auto insert = project.prepare(
            "INSERT INTO Keyword (pkKeyword, KW, Normalized, Relevancy, LookupDate) VALUES (?1, "
            "?2, ?3, ?4, ?5)");
        insert.bind(1, id)
            .bind(2, QString::fromUtf8(kw))
            .bind(3, QString::fromUtf8(normalized))
            .bind(4, relevancy)
            .bind(5, lookupDate);
        insert.execute();
        for (const QVariant& group : groups) {
            auto member = project.prepare("INSERT INTO KWGroup (fkKW, fkGroup) VALUES (?1, ?2)");
            member.bind(1, id).bind(2, group);
            member.execute();
        }
        for (const QString& operation : operations) {
            auto link = project.prepare(
                "INSERT INTO KeywordOperation (fkKeyword, fkOperation) VALUES (?1, ?2)");
            link.bind(1, id).bind(2, operation);
            link.execute();
        }
    }

    // id, shown text, identity, relevancy, searches, lookup date, groups, operations.
    QStringList keywords() const
    {
        return column(
            "SELECT k.pkKeyword || '|' || k.KW || '|' || k.Normalized || '|' || "
            "coalesce(k.Relevancy, '-') || '|' || coalesce(k.Searches, '-') || '|' || "
            "coalesce(k.LookupDate, '-') || '|' || coalesce((SELECT group_concat(fkGroup) FROM "
            "(SELECT fkGroup FROM KWGroup WHERE fkKW = k.pkKeyword ORDER BY fkGroup)), '') || '|' "
            "|| coalesce((SELECT group_concat(fkOperation) FROM (SELECT fkOperation FROM "
            "KeywordOperation WHERE fkKeyword = k.pkKeyword ORDER BY fkOperation)), '') FROM "
            "Keyword AS k ORDER BY k.pkKeyword");
    }

    QStringList cached() const
    {
        QStringList rows;
        auto all = db->CacheDB()->query("SELECT KW, Count, dte FROM Cache ORDER BY KW");
        while (all.next())
            rows << all.text(0) + "|" + all.text(1) + "|" + all.text(2);
        return rows;
    }

    // Opens the older files and checks what the upgrade made of them.
    void expectUpgraded(bool vacuumed)
    {
        reopen();
        const QString top = QString::number(m_top);
        const QString other = QString::number(m_other);
        // The row that holds the new identity already stays, with the highest relevancy, the
        // memberships and operations of every row merged into it and the latest lookup date.
        const QStringList expected = {
            QString::fromUtf8("1|5 \u03bcg dose|5 dose \u03bcg|3|10|-|") + top + "|{o1}",
            QString::fromUtf8("3|\u00f1u \u03bcg|\u00f1u \u03bcg|") + (vacuumed ? "1" : "0") +
                "|5|50.0|" + top + "," + other + "|{o1},{o2},{o3}",
            QString::fromUtf8("4|\u03bb\u03cc\u03b3\u03bf\u03c3 word|word "
                              "\u03bb\u03cc\u03b3\u03bf\u03c3|5|3|-||{o1}"),
            "5|plain words|plain words|2|4|-|" + other + "|",
        };
        EXPECT_EQ(keywords(), expected);
        // Of keys that become one, the newest count stays.
        EXPECT_EQ(cached(),
                  QStringList({QString::fromUtf8("5 dose \u03bcg|10|100.0"), "Plain Words|4|100.0",
                               QString::fromUtf8("word \u03bb\u03cc\u03b3\u03bf\u03c3|3|100.0"),
                               QString::fromUtf8("\u00f1u \u03bcg|5|300.0")}));
        EXPECT_EQ(db->GetCount(433), vacuumed ? 4 : 3);
        EXPECT_EQ(db->GetCount(434), vacuumed ? 0 : 1);
        expectSound("after the upgrade");

        reindexByTheClient();
        reopen();
        EXPECT_EQ(keywords(), expected);
        addKeywords({QString::fromUtf8("\u00b5g \u00f1u"), QString::fromUtf8("dose 5 \u00b5g")});
        EXPECT_EQ(keywordCount(), 4);
        EXPECT_GT(db->OverDate(MParser::LowerCase(QString::fromUtf8("\u00f1u \u00b5g"))),
                  SqlDate::zeroDate());
        expectSound("after the client's REINDEX and the engine's writes");
    }

    int m_top = 0;
    int m_other = 0;
};

TEST_F(OlderFiles, AreReKeyedWithTheKeysThatBecomeOneMerged)
{
    expectUpgraded(false);
}

TEST_F(OlderFiles, VacuumedByTheClientAreReKeyedWithTheKeysThatBecomeOneMerged)
{
    // The client orders the indexes its own way: the engine's lookups then miss keys that are
    // there, and a second row for one of them got in.
    for (const QString& file : {cacheFile, projectFile})
        EXPECT_EQ(client(file, "VACUUM"), "");
    EXPECT_EQ(client(projectFile,
                     QString::fromUtf8("INSERT INTO Keyword (pkKeyword, KW, Normalized, Relevancy) "
                                       "VALUES (6, '\u00b5g \u00f1u', '\u00f1u \u00b5g', 1); "
                                       "INSERT INTO KWGroup (fkKW, fkGroup) VALUES (6, %1); "
                                       "INSERT INTO KeywordOperation VALUES (6, '{o3}')")
                         .arg(m_other)),
              "");
    expectUpgraded(true);
}

TEST_F(OlderFiles, AreReKeyedOnlyOnce)
{
    reopen();
    db.reset();
    // A key of the old form that another program writes afterwards stays as it is.
    auto project = SqlConnection::open(projectFile);
    row(*project, 7, "q \u00b5x", "q \u00b5x", {}, {}, {}, {});
    project.reset();
    reopen();
    EXPECT_EQ(projectScalar("SELECT Normalized FROM Keyword WHERE pkKeyword = 7").toString(),
              QString::fromUtf8("q \u00b5x"));
}

} // namespace

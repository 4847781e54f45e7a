#include <QElapsedTimer>
#include <QFile>

#include "engine/database/CacheImportQuery.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlDate.h"
#include "tests/engine/database/DBaserFixture.h"

using namespace dbasertest;

namespace {

// Files that are not what the open asks for: another project as the cache, the open cache as the
// project, a database without the tables of its role.
class DBaserWrongFiles : public DBaserFixture {
protected:
    // A copy of a template with extra statements run on it.
    QString templateCopy(const QString& templateName, const QString& name, const QString& sql)
    {
        const QString file = home.file(name);
        EXPECT_TRUE(QFile::copy(Folders::binaryFolder() + "/" + templateName, file));
        QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::WriteOwner);
        if (!sql.isEmpty())
            SqlConnection::open(file)->exec(sql);
        return file;
    }

    // Expects the call to fail at once with the number and a description that starts with the
    // open's own message and holds the inner one.
    template <class Call>
    void expectRefused(Call call, std::uint32_t number, const QString& start, const QString& inner)
    {
        QElapsedTimer clock;
        clock.start();
        try {
            call();
            ADD_FAILURE() << "no error raised";
        } catch (const ZError& e) {
            EXPECT_EQ(e.number(), number);
            EXPECT_TRUE(e.description().startsWith(start)) << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(inner)) << e.description().toStdString();
        }
        EXPECT_LT(clock.elapsed(), 5000) << "no wait on a lock of its own";
    }

    QString cacheMessage(const QString& file) const
    {
        return "Cannot open keywords cache database '" + file + "'. ";
    }
    QString projectMessage(const QString& file) const
    {
        return "Cannot open project database '" + file + "'. ";
    }

    QStringList tablesOf(const QString& file) const
    {
        QStringList names;
        auto rows = SqlConnection::open(file)->prepare(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'CacheText%' "
            "AND name <> 'CacheGeneration' ORDER BY name"); // the cache's keyword index left out
        while (rows.next())
            names << rows.text(0);
        return names;
    }

    static constexpr std::uint32_t kCannotOpenCache = 0x80040286u;
    static constexpr std::uint32_t kCannotOpenProject = 0x80040288u;
    static constexpr std::uint32_t kCannotUpgrade = 0x80040290u;
    static const inline QString kLinkText =
        "Cannot create the table link from Overture cache database to Project database. ";
    static const inline QString kUpgradeText = "Cannot upgrade project database. ";
};

// Every operation of the engine on a fresh pair of files, each result written down as a line:
// the same script must tell the same story whatever else the files hold.
class EveryStatement {
public:
    explicit EveryStatement(DBaser& db)
        : m_db(db)
    {
    }

    QStringList run()
    {
        keywords();
        groups();
        counts();
        cacheImport();
        removals();
        return m_lines;
    }

private:
    void note(const QString& what, const QString& result) { m_lines << what + ": " + result; }
    void note(const QString& what, const QStringList& result) { note(what, result.join(" | ")); }

    static QString rows(const KeywordTable& table)
    {
        QStringList list;
        for (int i = 0; i < table.count(); ++i)
            list << QString("%1 (%2, %3)")
                        .arg(table.texts.at(i))
                        .arg(table.searches.at(i))
                        .arg(table.relevancies.at(i));
        return list.join(" | ");
    }

    static QString tree(const CDataNodes& nodes)
    {
        QStringList list;
        for (const CDataNode& node : nodes)
            list << QString(node.Value()).replace('\t', '/') + " [" + tree(node.Children()) + "]";
        return list.join(" ");
    }

    static CAttributes params(std::initializer_list<std::pair<const char*, QVariant>> values)
    {
        CAttributes attributes;
        for (const auto& [name, value] : values)
            attributes.Add(name, value);
        return attributes;
    }

    int id(const QString& kw)
    {
        const CAttributes all = params({{"CS_GET_ALL_KEYWORDS", true}});
        for (const enKWKind kind : {kwk_raw, kwk_kws, kwk_banned}) {
            const KeywordTable table = m_db.getKWsEx(kind, &all);
            const qsizetype at = table.texts.indexOf(kw);
            if (at >= 0)
                return table.ids.at(static_cast<size_t>(at));
        }
        ADD_FAILURE() << "no keyword " << kw.toStdString();
        return 0;
    }

    void listings(const QString& when)
    {
        const CAttributes ungrouped = params({{"CS_EXCLUDE_GROUPED_KEYWORDS", true}});
        const CAttributes two = params({{"CS_MAX_KEYWORDS_COUNT", 2}});
        note(when + " raw", rows(m_db.getKWs(kwk_raw)));
        note(when + " kept", rows(m_db.getKWs(kwk_kws)));
        note(when + " kept, two", rows(m_db.getKWsEx(kwk_kws, &two)));
        note(when + " kept, ungrouped", rows(m_db.getKWsEx(kwk_kws, &ungrouped)));
        note(when + " banned", rows(m_db.getKWs(kwk_banned)));
        QStringList counts;
        for (const int code : {123, 433, 434, 511, 542})
            counts << QString::number(m_db.GetCount(code));
        note(when + " counts", counts);
    }

    void keywords()
    {
        CDataNode operation;
        operation.Attributes().Add("Description", "Manual Addition");
        note("rejected", textsOf(m_db.AddKWs(
                             words({"blue widget", "red widget", "green widget", "banned widget",
                                    "kept widget", "grouped widget", "moved widget", "a?"}),
                             operation)));
        m_db.AddKWs(words({"widget blue"}), operation); // the same operation again
        const CAttributes rank = params({{"CS_SET_RANK", true}, {"CS_SET_RANK_TO", 4}});
        CDataNode ranked;
        m_db.AddKWsEx(words({"ranked widget"}), ranked, &rank);
        note("respelled", QString::number(m_db.UpdateKW("Widget Red")));
        note("respelled unknown", QString::number(m_db.UpdateKW("purple widget")));
        m_db.SetRelevancy(items({id("banned widget")}), 0);
        m_db.SetRelevancy(items({id("kept widget")}), 3);
        m_db.SetRelevancy(items({id("moved widget"), id("grouped widget")}), 5);
        listings("after adding");
    }

    void groups()
    {
        m_top = m_db.AddGroup("Top");
        const int child = m_db.AddGroup("Child", m_top);
        const int other = m_db.AddGroup("Other");
        m_db.UpdateGroup(child, "Child renamed");
        m_db.MoveGroup(child, other);
        m_db.AddToGroup(items({id("grouped widget")}), m_top);
        m_db.AddToGroup(items({id("moved widget"), id("kept widget")}), m_top);
        m_db.MoveToGroup(items({id("moved widget")}), m_top, child);
        m_db.RemoveFromGroup(items({id("kept widget")}), m_top);
        note("groups", tree(m_db.GetGroups(nullptr)));
        const CAttributes withCounts = params({{"CS_INCLUDE_KWS_COUNT", true}});
        note("groups with counts", tree(m_db.GetGroups(&withCounts)));
        note("top group", rows(m_db.getKWsForGroup(m_top, nullptr)));
        note("child group", rows(m_db.getKWsForGroup(child, nullptr)));
        listings("after grouping");
    }

    void counts()
    {
        note("to count first", m_db.get1stNotOvertured());
        CDataNode counts;
        for (const auto& [kw, count] :
             std::initializer_list<std::pair<const char*, int>>{{"blue widget", 30},
                                                                {"red widget", 20},
                                                                {"banned widget", 70},
                                                                {"kept widget", 40},
                                                                {"cached thing", 90},
                                                                {"cached other thing", 15}})
            counts.Attributes().Add(kw, count);
        m_db.AddOvertured(counts, {});
        note("cache size", QString::number(m_db.CacheSize()));
        note("counted", QString::number(m_db.OverDate("widget blue") > SqlDate::zeroDate()));
        note("not counted", QString::number(m_db.OverDate("green widget") > SqlDate::zeroDate()));
        note("to count", m_db.NotOverturedFirst(10));
        note("to look up", m_db.ForLookupFirst(10));
        m_db.UpdateLookupDate("kept widget");
        note("to look up after one", m_db.get1stForLookup());
        note("lead words", m_db.GetMostPopularWords());
        m_db.RecalcOverTimes();
        listings("after counting");
    }

    void cacheImport()
    {
        const SqlDatabase& project = *m_db.ProjectDB();
        for (const bool banned : {false, true}) {
            QStringList found;
            for (const CacheImportQuery::Row& row :
                 CacheImportQuery::Run(project, {"widget"}, banned))
                found << QString("%1 (%2)").arg(row.KW).arg(row.Count);
            note(QString("import list, banned %1").arg(banned), found);
        }
        note("unbanned",
             QString::number(CacheImportQuery::Unban(project, {"banned widget", "red widget"})));
        note("imported for a word", QString::number(m_db.ImportFromCacheForWord("cached")));
        listings("after importing");
    }

    void removals()
    {
        m_db.DeleteKWs(items({id("green widget"), id("cached thing")}));
        m_db.NormalizeAllDBkws();
        listings("after deleting");
        m_db.RemoveGroup(m_top);
        note("groups left", tree(m_db.GetGroups(nullptr)));
        listings("after removing a group");
    }

    DBaser& m_db;
    QStringList m_lines;
    int m_top = 0;
};

// Other files' tables of the same names as the project's, with rows that contradict it.
const char* const kForeignKeywordTables =
    "CREATE TABLE Keyword (pkKeyword INTEGER PRIMARY KEY, KW TEXT COLLATE NOCASE, Normalized "
    "TEXT COLLATE NOCASE, Relevancy INTEGER, Searches INTEGER, CacheDate REAL, LookupDate REAL);"
    "INSERT INTO Keyword (pkKeyword, KW, Normalized, Relevancy, Searches) VALUES "
    "(1, 'foreign kw', 'foreign kw', 5, 1), (2, 'banned widget', 'banned widget', NULL, 2), "
    "(3, 'blue widget', 'blue widget', 0, 3), (4, 'kept widget', 'kept widget', 0, 4), "
    "(5, 'green widget', 'green widget', 5, NULL), (6, 'cached thing', 'cached thing', 0, 6), "
    "(7, 'red widget', 'red widget', 0, 7);"
    "CREATE TABLE \"Group\" (pkGroup INTEGER PRIMARY KEY, Name TEXT, ParentGroup INTEGER);"
    "INSERT INTO \"Group\" (pkGroup, Name, ParentGroup) VALUES (1, 'foreign group', NULL), "
    "(2, 'foreign child', 1), (3, 'foreign other', 2);"
    "CREATE TABLE KWGroup (fkKW INTEGER, fkGroup INTEGER);"
    "INSERT INTO KWGroup (fkKW, fkGroup) VALUES (1, 1), (2, 1), (3, 1), (4, 1), (5, 2), (6, 2), "
    "(7, 3), (8, 3);"
    "CREATE TABLE Operation (pkOperation TEXT PRIMARY KEY COLLATE NOCASE, Processed REAL, "
    "Description TEXT, Parameter TEXT);"
    "INSERT INTO Operation VALUES ('{00000000-0000-0000-0000-000000000001}', 0, 'foreign', '');"
    "CREATE TABLE KeywordOperation (fkKeyword INTEGER, fkOperation TEXT COLLATE NOCASE);"
    "INSERT INTO KeywordOperation VALUES (1, '{00000000-0000-0000-0000-000000000001}'), "
    "(2, '{00000000-0000-0000-0000-000000000001}');";
const char* const kForeignCacheTable =
    "CREATE TABLE Cache (KW TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, Count INTEGER, dte REAL);"
    "INSERT INTO Cache VALUES ('blue widget', 999, 1), ('green widget', 998, 1), "
    "('foreign widget', 997, 1), ('cached foreign', 996, 1);";

// Every row of the named tables of a file, to see that nothing wrote to them.
QStringList contentOf(const QString& file, const QStringList& tables)
{
    auto connection = SqlConnection::open(file);
    QStringList lines;
    for (const QString& table : tables) {
        auto rows =
            connection->prepare("SELECT * FROM " + SqlConnection::quoted(table) + " ORDER BY 1, 2");
        while (rows.next()) {
            QStringList fields{table};
            for (int i = 0; i < rows.columnCount(); ++i)
                fields << rows.value(i).toString();
            lines << fields.join('/');
        }
    }
    return lines;
}

TEST_F(DBaserWrongFiles, TablesOfTheCacheFileNeverShadowTheProjectsOwn)
{
    const QStringList keywordTables{"Keyword", "Group", "KWGroup", "Operation", "KeywordOperation"};
    // The cache is attached before the project, or (opened again) after it.
    for (const bool cacheLast : {false, true}) {
        SCOPED_TRACE(cacheLast ? "cache attached last" : "cache attached first");
        const QString tag = cacheLast ? "last" : "first";
        const auto script = [&](const QString& cache, const QString& project) {
            db = std::make_unique<DBaser>();
            db->Init(log);
            db->OpenCacheDB(cache);
            db->OpenProjectDB(project);
            if (cacheLast)
                db->OpenCacheDB(cache);
            return EveryStatement(*db).run();
        };
        const QStringList expected = script(templateCopy("Cache.tdb", "Plain " + tag + ".vxc", {}),
                                            home.file("Plain " + tag + ".vxp"));
        // What the user saw go wrong, among the rest.
        for (const char* line : {"after grouping kept, ungrouped: ranked widget (-1, 4) | kept "
                                 "widget (-1, 3)",
                                 "import list, banned 0: blue widget (30) | red widget (20)",
                                 "unbanned: 1", "lead words: widget"})
            EXPECT_TRUE(expected.contains(line)) << line << "\n"
                                                 << expected.join('\n').toStdString();

        // A cache file that also holds keyword tables of its own, and a project file that
        // holds a table Cache.
        const QString mixedCache =
            templateCopy("Cache.tdb", "Mixed " + tag + ".vxc", kForeignKeywordTables);
        const QString mixedProject =
            templateCopy("Project.tdb", "Mixed " + tag + ".vxp", kForeignCacheTable);
        const QStringList foreignKeywords = contentOf(mixedCache, keywordTables);
        const QStringList foreignCounts = contentOf(mixedProject, {"Cache"});
        const QStringList actual = script(mixedCache, mixedProject);
        for (qsizetype i = 0; i < std::max(expected.size(), actual.size()); ++i)
            EXPECT_EQ(actual.value(i), expected.value(i));
        db.reset();
        EXPECT_EQ(contentOf(mixedCache, keywordTables), foreignKeywords);
        EXPECT_EQ(contentOf(mixedProject, {"Cache"}), foreignCounts);
    }
}

TEST_F(DBaserWrongFiles, AFileWithoutCacheIsRefusedAsTheCache)
{
    const QString otherProject = templateCopy("Project.tdb", "Other Project.vxp", {});
    const QString plain = templateCopy("Cache.tdb", "Plain.db",
                                       "DROP TABLE Cache;"
                                       "CREATE TABLE Notes (x TEXT);");
    for (const QString& wrong : {otherProject, plain}) {
        SCOPED_TRACE(wrong.toStdString());
        expectRefused([&] { db->OpenCacheDB(wrong); }, kCannotOpenCache, cacheMessage(wrong),
                      kLinkText + "The file has no table 'Cache'.");
        EXPECT_TRUE(db->CacheDBFilename().isEmpty());
        EXPECT_TRUE(logged(4, 0x80040284u, "DBaser.OpenCacheDB"));
    }
    EXPECT_EQ(tablesOf(otherProject),
              QStringList({"Keyword", "KeywordOperation", "Operation", "sqlite_sequence"}));
    openBoth();
    EXPECT_EQ(db->CacheDBFilename(), cacheFile);
}

TEST_F(DBaserWrongFiles, AnotherProjectConnectedAsTheCacheLeavesTheOpenProjectAlone)
{
    openBoth();
    CDataNode operation;
    db->AddKWs(words({"own keyword"}), operation);
    const QString otherProject = templateCopy("Project.tdb", "Other Project.vxp",
                                              "INSERT INTO Keyword (KW, Normalized) VALUES "
                                              "('foreign kw', 'foreign kw');");
    expectRefused([&] { db->OpenCacheDB(otherProject); }, kCannotOpenCache,
                  cacheMessage(otherProject), kLinkText);
    EXPECT_EQ(db->CacheDBFilename(), cacheFile) << "the file names stay as they were";
    db->OpenCacheDB(cacheFile);
    EXPECT_EQ(db->getKWs(kwk_raw).texts, QStringList({"own keyword"}));
}

TEST_F(DBaserWrongFiles, TheOpenProjectsFileIsRefusedAsTheCacheAtOnce)
{
    openBoth();
    for (const QString& sameFile : QStringList{projectFile, home.path() + "/./First Project.vxp"}) {
        expectRefused([&] { db->OpenCacheDB(sameFile); }, kCannotOpenCache, cacheMessage(sameFile),
                      kLinkText + "The file is the open project database.");
    }
    db->OpenCacheDB(cacheFile);
    CDataNode operation;
    db->AddKWs(words({"still writable"}), operation);
    EXPECT_EQ(db->GetCount(123), 1);
}

TEST_F(DBaserWrongFiles, TheOpenCacheFileIsRefusedAsTheProjectAtOnce)
{
    db->OpenCacheDB(cacheFile);
    expectRefused([&] { db->OpenProjectDB(cacheFile); }, kCannotOpenProject,
                  projectMessage(cacheFile),
                  kUpgradeText + "The file is the open keywords cache database.");
    EXPECT_FALSE(db->ProjectDBOpened());
    EXPECT_TRUE(logged(0, 0x800A004Bu, "DBaser.UpgradeProjectDatabase"));
    EXPECT_TRUE(logged(4, kCannotUpgrade, "DBaser.OpenProjectDB"));
    CDataNode counts;
    counts.Attributes().Add("blue widget", 3);
    db->OpenProjectDB(projectFile);
    db->AddOvertured(counts, {});
    EXPECT_EQ(db->CacheSize(), 1) << "the cache still takes writes";
    EXPECT_EQ(tablesOf(cacheFile), QStringList({"Cache"}));
}

TEST_F(DBaserWrongFiles, ADatabaseWithoutKeywordIsNoProjectAndStaysUnchanged)
{
    db->OpenCacheDB(cacheFile);
    const QString otherCache = templateCopy("Cache.tdb", "Other Cache.vxc", {});
    expectRefused([&] { db->OpenProjectDB(otherCache); }, kCannotOpenProject,
                  projectMessage(otherCache),
                  kUpgradeText + "The file has no table 'Keyword': it is no project database.");
    EXPECT_TRUE(logged(0, 1, "DBaser.UpgradeProjectDatabase"));
    EXPECT_FALSE(db->ProjectDBOpened());
    EXPECT_EQ(tablesOf(otherCache), QStringList({"Cache"}));
}

TEST_F(DBaserWrongFiles, ACacheThatLostItsTableFailsTheLinkAtTheNextProjectOpen)
{
    openBoth();
    const QString plain = templateCopy("Cache.tdb", "Plain.db", "DROP TABLE Cache;");
    EXPECT_THROW(db->OpenCacheDB(plain), ZError);
    SqlConnection::open(cacheFile)->exec("DROP TABLE Cache");
    expectRefused([&] { db->OpenProjectDB(projectFile); }, kCannotOpenProject,
                  projectMessage(projectFile), kLinkText + "The file has no table 'Cache'.");
    EXPECT_THROW(db->GetCount(123), ZError) << "the project was closed";
}

} // namespace

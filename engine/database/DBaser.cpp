#include "engine/database/DBaser.h"

#include <QThread>

#include "engine/ComponentRegistration.h"
#include "engine/EngineMessages.h"
#include "engine/database/CTimer.h"
#include "engine/database/CacheIndex.h"
#include "engine/database/CacheReKey.h"
#include "engine/database/CountStore.h"
#include "engine/database/CountsRefresh.h"
#include "engine/database/DatabaseFiles.h"
#include "engine/database/GroupStore.h"
#include "engine/database/IDBaserOwner.h"
#include "engine/database/KeywordStore.h"
#include "engine/database/LargeWriteCache.h"
#include "engine/database/LeadWords.h"
#include "engine/database/StoredKeys.h"
#include "engine/platform/CUtilities.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlDate.h"
#include "engine/platform/SqlError.h"
#include "engine/platform/SqlTransaction.h"

namespace zentrel {

namespace {

// Marks work in progress for its whole run (an open, a recount).
class BusyFlag {
public:
    explicit BusyFlag(std::atomic<bool>& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~BusyFlag() { m_flag = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    std::atomic<bool>& m_flag;
};

const ComponentRegistration registration{"Zentrel.DBaser",
                                         [] { return std::make_unique<DBaser>(); }};

constexpr int kPollIntervalMs = 10000;
constexpr std::uint32_t kObjectNotSet = 0x800A005Bu; // object variable not set

QStringList texts(const CKeyedCollection& items)
{
    QStringList list;
    for (const QVariant& item : items)
        list << item.toString();
    return list;
}

QVariantList ids(const CKeyedCollection& items)
{
    QVariantList list;
    for (const QVariant& item : items)
        list << item.toLongLong();
    return list;
}

QVariant firstValue(const CAttributes& attributes, const QString& name)
{
    return attributes.Item(name).Values().Item(1);
}

// The options a listing reads; raises when the group's id is missing.
KeywordOptions listingOptionsOf(const CAttributes* Params)
{
    KeywordOptions options;
    if (!Params)
        return options;
    if (Params->Exists(QStringLiteral("CS_MAX_KEYWORDS_COUNT")))
        options.maxCount = firstValue(*Params, QStringLiteral("CS_MAX_KEYWORDS_COUNT")).toInt();
    options.all = Params->Exists(QStringLiteral("CS_GET_ALL_KEYWORDS"));
    options.excludeGrouped = Params->Exists(QStringLiteral("CS_EXCLUDE_GROUPED_KEYWORDS"));
    if (Params->Exists(QStringLiteral("CS_GET_KEYWORDS_FOR_GROUP")))
        options.groupId = firstValue(*Params, QStringLiteral("CS_GROUP_ID")).toInt();
    return options;
}

// The options an addition reads; raises when the rank's value is missing.
KeywordOptions additionOptionsOf(const CAttributes* Params)
{
    KeywordOptions options;
    if (Params && Params->Exists(QStringLiteral("CS_SET_RANK")))
        options.rank = firstValue(*Params, QStringLiteral("CS_SET_RANK_TO")).toInt();
    return options;
}

CKeyedCollection collectionOf(const QStringList& items)
{
    CKeyedCollection collection;
    for (const QString& item : items)
        collection.Add(item);
    return collection;
}

} // namespace

DBaser::DBaser(QObject* parent)
    : QObject(parent)
    , m_files(Folders::binaryFolder())
{
    m_files.setStepNote([this](const QString& step) { emit WorkStep(step); });
}

DBaser::~DBaser()
{
    Finalize();
}

template <class Work> auto DBaser::guarded(const char* name, Work&& work) -> decltype(work())
{
    const QString source = QStringLiteral("DBaser.") + QLatin1String(name);
    try {
        return work();
    } catch (const ZError& error) {
        logError(error, 4, source);
        throw;
    } catch (const std::exception& error) {
        const ZError wrapped(kUnexpected, QString::fromUtf8(error.what()), source);
        logError(wrapped, 4, source);
        throw wrapped;
    }
}

void DBaser::logError(const ZError& error, int level, const QString& source) const
{
    if (m_log)
        m_log->Write(error.signedNumber(), error.description(), level, source);
}

const SqlDatabase& DBaser::project() const
{
    if (!m_files.project())
        throw ZError(kObjectNotSet, QStringLiteral("The project database is not open."));
    return *m_files.project();
}

const SqlDatabase& DBaser::cache() const
{
    if (!m_files.cache())
        throw ZError(kObjectNotSet, QStringLiteral("The cache database is not open."));
    return *m_files.cache();
}

// ---- Events ----------------------------------------------------------------------------------

void DBaser::raiseNewKws()
{
    if (QThread::currentThread() == thread())
        emit NewKws(nullptr, nullptr);
    else
        QMetaObject::invokeMethod(
            this, [this] { emit NewKws(nullptr, nullptr); }, Qt::QueuedConnection);
}

void DBaser::raiseNewOvertureCounts()
{
    if (QThread::currentThread() == thread()) {
        emit NewOvertureCounts(nullptr, nullptr);
    } else {
        QMetaObject::invokeMethod(
            this, [this] { emit NewOvertureCounts(nullptr, nullptr); }, Qt::QueuedConnection);
    }
}

void DBaser::signalNewKws()
{
    if (m_master)
        raiseNewKws();
    else
        m_newKWsEvent.set();
}

void DBaser::signalNewOvertureCounts()
{
    if (m_master)
        raiseNewOvertureCounts();
    else
        m_newOvertureCountsEvent.set();
}

void DBaser::refreshCounts()
{
    CountsRefresh::refresh(project());
}

// Done when a file is opened rather than at the first research tick: a cache that changed since
// the project was last brought up to date (research in another project) costs a copy of every
// count.
void DBaser::refreshCountsAfterOpen()
{
    try {
        refreshCounts();
    } catch (const ZError& error) {
        // The next refresh tries again.
        logError(error, 4, QStringLiteral("DBaser.RefreshCounts"));
    }
}

// The copy of every count, when the next refresh would make one, handed to the runner so that
// the user-interface thread does not do it. Only on the master's own thread, outside other long
// work (an open or a recount, which run on a thread of their own already), and not while this
// thread holds the connection, which the runner's thread needs.
void DBaser::copyEverythingAside()
{
    if (!m_workRunner || !m_master || m_busy || m_connectionHeld ||
        QThread::currentThread() != thread())
        return;
    if (!CountsRefresh::copiesEverything(project()))
        return;
    const BusyFlag busy(m_busy);
    m_workRunner([this] {
        emit WorkStep(QStringLiteral("Copying the search counts into the project..."));
        refreshCounts();
    });
}

void DBaser::watchDueChanges()
{
    ++m_opens;
    m_dueChanges.reset();
    if (m_projectDBOpened && m_cacheDBOpened)
        m_dueChanges = std::make_unique<DueChanges>(project().sharedConnection());
}

// The search-count timer's keywords hang on the cache too (a count the copies missed); the
// lookup timer's on the project alone, and on the clock.
DueStamp DBaser::dueStamp(bool counts)
{
    DueStamp stamp;
    auto guard = project().lock();
    if (!m_dueChanges) {
        stamp.changes = ++m_unwatchedStamps; // never the same twice
        return stamp;
    }
    stamp.files = m_opens;
    stamp.changes = counts ? m_dueChanges->counts().count() : m_dueChanges->lookups().count();
    stamp.projectWrites =
        project().scalar(QStringLiteral("PRAGMA project.data_version")).toLongLong();
    if (counts)
        stamp.cacheWrites =
            project().scalar(QStringLiteral("PRAGMA cache.data_version")).toLongLong();
    else
        stamp.clock = SqlDate::now();
    return stamp;
}

DueSince DBaser::dueSince(bool counts, const DueStamp& then)
{
    auto guard = project().lock();
    if (!m_dueChanges || then.files != m_opens)
        return {};
    return counts ? m_dueChanges->counts().since(then.changes)
                  : m_dueChanges->lookups().since(then.changes);
}

void DBaser::InitMaster()
{
    m_master = true;
    openEvents(CUtilities::NewName(), CUtilities::NewName());
    moEventTimer = std::make_unique<CTimer>();
    connect(moEventTimer.get(), &CTimer::Timer, this, &DBaser::moEventTimer_Timer);
    moEventTimer->setInterval(kPollIntervalMs);
    moEventTimer->setEnabled(true);
}

void DBaser::moEventTimer_Timer()
{
    if (m_busy)
        return; // the events stay set for the next poll
    try {
        if (m_newKWsEvent.isSet()) {
            // Reset first: a set that arrives during the refresh survives for the next poll.
            m_newKWsEvent.reset();
            try {
                copyEverythingAside();
                refreshCounts();
            } catch (...) {
                m_newKWsEvent.set();
                throw;
            }
            emit NewKws(nullptr, nullptr);
        }
        if (m_newOvertureCountsEvent.isSet()) {
            m_newOvertureCountsEvent.reset();
            emit NewOvertureCounts(nullptr, nullptr);
        }
    } catch (const ZError& error) {
        logError(error, 4, QStringLiteral("DBaser.moEventTimer_Timer"));
    } catch (const std::exception& error) {
        logError(ZError(kUnexpected, QString::fromUtf8(error.what())), 4,
                 QStringLiteral("DBaser.moEventTimer_Timer"));
    }
}

void DBaser::AttachByObjects(CLogPtr Log, SqlDatabasePtr ProjectDB, SqlDatabasePtr CacheDB,
                             const QString& NewKWsEventName,
                             const QString& NewOvertureCountsEventName)
{
    m_log = std::move(Log);
    m_files.share(std::move(ProjectDB), std::move(CacheDB));
    openEvents(NewKWsEventName, NewOvertureCountsEventName);
}

void DBaser::AttachByFileNames(CLogPtr Log, const QString& ProjectDBFilename,
                               const QString& CacheDBFilename, const QString& NewKWsEventName,
                               const QString& NewOvertureCountsEventName)
{
    m_log = std::move(Log);
    m_files.openExisting(ProjectDBFilename, CacheDBFilename);
    openEvents(NewKWsEventName, NewOvertureCountsEventName);
}

void DBaser::openEvents(const QString& newKWsEventName, const QString& newOvertureCountsEventName)
{
    m_newKWsEventName = newKWsEventName;
    m_newOvertureCountsEventName = newOvertureCountsEventName;
    m_newKWsEvent = NamedEvent::create(newKWsEventName);
    m_newOvertureCountsEvent = NamedEvent::create(newOvertureCountsEventName);
}

// ---- Files -----------------------------------------------------------------------------------

void DBaser::Init(CLogPtr Log)
{
    m_log = std::move(Log);
}

void DBaser::SetOwner(CLogPtr Log, IDBaserOwner* Scripting)
{
    m_log = std::move(Log);
    m_owner = Scripting;
}

void DBaser::raiseOpenError(const ZError& error, int messageId, const QString& fileName,
                            const QString& source) const
{
    QString description = error.description();
    if (!description.endsWith(QLatin1Char('.')) && !description.endsWith(QLatin1String(". ")))
        description += QLatin1String(". ");
    logError(ZError(error.number(), description), 4, source);
    throw ZError(objectError(messageId), EngineMessages::text(messageId, fileName) + description,
                 source);
}

void DBaser::OpenCacheDB(const QString& CacheDBFilename)
{
    const BusyFlag busy(m_busy);
    try {
        emit WorkStep(QStringLiteral("Opening the keywords database..."));
        m_files.openCache(CacheDBFilename);
        try {
            emit WorkStep(QStringLiteral("Updating the keys of the keywords database..."));
            CacheReKey::upgrade(cache());
        } catch (const ZError& error) {
            // The engine still finds the keys; the next open tries again.
            logError(error, 4, QStringLiteral("DBaser.OpenCacheDB"));
        }
        try {
            emit WorkStep(QStringLiteral("Building the keyword index of the keywords database..."));
            CacheIndex::ensure(cache(), [this](const QString& text) {
                if (m_log)
                    m_log->Write(0, text, 5, QStringLiteral("DBaser.OpenCacheDB"));
            });
        } catch (const ZError& error) {
            // Without the index the cache is searched by a scan.
            logError(error, 4, QStringLiteral("DBaser.OpenCacheDB"));
        }
        m_cacheDBFilename = CacheDBFilename;
        m_cacheDBOpened = true;
        watchDueChanges();
        CountsRefresh::markAttached(cache());
        if (m_projectDBOpened) {
            emit WorkStep(QStringLiteral("Copying the search counts into the project..."));
            refreshCountsAfterOpen();
        }
    } catch (const ZError& error) {
        raiseOpenError(error, EngineMessages::CannotOpenCache, CacheDBFilename,
                       QStringLiteral("DBaser.OpenCacheDB"));
    }
}

void DBaser::OpenProjectDB(const QString& ProjectDBFilename)
{
    const BusyFlag busy(m_busy);
    try {
        emit WorkStep(QStringLiteral("Opening the project database..."));
        if (!m_cacheDBOpened)
            throw EngineMessages::error(EngineMessages::CacheNotOpened);
        m_files.openProject(
            ProjectDBFilename, m_cacheDBFilename,
            [this](const ZError& error) {
                logError(error, 0, QStringLiteral("DBaser.UpgradeProjectDatabase"));
            },
            [this](const ZError& error) {
                logError(error, 4, QStringLiteral("DBaser.OpenProjectDB"));
            });
        m_projectDBFilename = ProjectDBFilename;
        m_projectDBOpened = true;
        watchDueChanges();
        CountsRefresh::markAttached(project());
        emit WorkStep(QStringLiteral("Copying the search counts into the project..."));
        refreshCountsAfterOpen();
    } catch (const ZError& error) {
        raiseOpenError(error, EngineMessages::CannotOpenProject, ProjectDBFilename,
                       QStringLiteral("DBaser.OpenProjectDB"));
    }
}

void DBaser::CloseDBs()
{
    guarded("CloseDBs", [&] {
        m_cacheDBFilename.clear();
        m_projectDBFilename.clear();
        m_cacheDBOpened = false;
        m_projectDBOpened = false;
        watchDueChanges();
    });
}

void DBaser::Finalize()
{
    m_newKWsEvent.close();
    m_newOvertureCountsEvent.close();
    if (moEventTimer) {
        try {
            moEventTimer->setEnabled(false);
        } catch (...) {
        }
        moEventTimer.reset();
    }
    m_cacheDBFilename.clear();
    m_projectDBFilename.clear();
    m_cacheDBOpened = false;
    m_projectDBOpened = false;
    m_dueChanges.reset();
    ++m_opens;
    m_files.releaseProject();
    m_owner = nullptr;
}

// ---- Keyword store ---------------------------------------------------------------------------

CKeyedCollection DBaser::AddKWsEx(const CKeyedCollection& KWs, CDataNode& Operation,
                                  const CAttributes* Params)
{
    const KeywordOptions options = guarded("AddKWsEx", [&] {
        // A rank without its value is an error only when some keyword passes the rules.
        const bool rankWithoutValue = Params && Params->Exists(QStringLiteral("CS_SET_RANK")) &&
                                      !Params->Exists(QStringLiteral("CS_SET_RANK_TO"));
        if (rankWithoutValue && KeywordStore::filter(texts(KWs)).accepted.isEmpty())
            return KeywordOptions();
        return additionOptionsOf(Params);
    });
    return AddKWsEx(KWs, Operation, options);
}

CKeyedCollection DBaser::AddKWsEx(const CKeyedCollection& KWs, CDataNode& Operation,
                                  const KeywordOptions& Options)
{
    return guarded("AddKWsEx", [&] {
        const auto filtered = KeywordStore::filter(texts(KWs));
        const CKeyedCollection rejected = collectionOf(filtered.rejected);
        if (filtered.accepted.isEmpty())
            return rejected;
        const std::optional<int> rank = Options.rank;
        if (Operation.Value().isEmpty())
            Operation.setValue(CUtilities::NewName());
        const QString description =
            Operation.Attributes().Exists(QStringLiteral("Description"))
                ? firstValue(Operation.Attributes(), QStringLiteral("Description")).toString()
                : QString();
        {
            const SqlDatabase& db = project();
            const LargeWriteCache largeWrite(db, filtered.accepted.size());
            SqlTransaction transaction(db.connection());
            KeywordStore::storeOperation(db, Operation.Value(), description,
                                         Operation.SaveToText());
            KeywordStore::storeKeywords(db, filtered.accepted, rank, Operation.Value());
            transaction.commit();
        }
        if (m_master) {
            copyEverythingAside();
            refreshCounts();
        }
        if (!rank)
            signalNewKws();
        else if (m_owner)
            m_owner->moLookupTimer_Timer();
        return rejected;
    });
}

CKeyedCollection DBaser::AddKWs(const CKeyedCollection& KWs, CDataNode& Operation)
{
    return AddKWsEx(KWs, Operation);
}

bool DBaser::UpdateKW(const QString& KW)
{
    try {
        return guarded("UpdateKW", [&] { return KeywordStore::updateKW(project(), KW); });
    } catch (const ZError&) {
        return false;
    }
}

void DBaser::SetRelevancy(const CKeyedCollection& KWs, int Relevancy)
{
    guarded("SetRelevancy", [&] {
        if (KWs.Count() == 0)
            return;
        KeywordStore::setRelevancy(project(), ids(KWs), Relevancy);
        if (Relevancy > 2 && m_owner)
            m_owner->moLookupTimer_Timer();
    });
}

void DBaser::DeleteKWs(const CKeyedCollection& KWs)
{
    guarded("DeleteKWs", [&] {
        if (KWs.Count() > 0)
            KeywordStore::deleteKWs(project(), ids(KWs));
    });
}

KeywordTable DBaser::getKWs(enKWKind Kind)
{
    return getKWsEx(Kind);
}

KeywordTable DBaser::getKWsForGroup(int GroupId, const CAttributes* Params)
{
    CAttributes params = Params ? *Params : CAttributes();
    params.Add(QStringLiteral("CS_GET_KEYWORDS_FOR_GROUP"), true);
    params.Add(QStringLiteral("CS_GROUP_ID"), GroupId);
    return getKWsEx(kwk_raw, &params);
}

KeywordTable DBaser::getKWsForGroup(int GroupId, KeywordOptions Options)
{
    Options.groupId = GroupId;
    return getKWsEx(kwk_raw, Options);
}

KeywordTable DBaser::getKWsEx(enKWKind Kind, const CAttributes* Params)
{
    const KeywordOptions options = guarded("getKWsEx", [&] { return listingOptionsOf(Params); });
    return getKWsEx(Kind, options);
}

KeywordTable DBaser::getKWsEx(enKWKind Kind, const KeywordOptions& Options)
{
    return guarded("getKWsEx", [&] {
        KeywordStore::Listing listing;
        listing.kind = Kind;
        listing.limit = Options.all ? -1 : Options.maxCount;
        listing.excludeGrouped = Kind == kwk_kws && Options.excludeGrouped;
        listing.groupId = Options.groupId;
        return KeywordStore::list(project(), listing);
    });
}

int DBaser::GetCount(int i)
{
    return guarded("GetCount", [&] { return KeywordStore::count(project(), i); });
}

int DBaser::CacheSize()
{
    return guarded("CacheSize", [&] {
        return cache()
            .scalar(QStringLiteral("SELECT count(*) FROM %1").arg(cache().qualified("Cache")))
            .toInt();
    });
}

QVariant DBaser::NormalizeAllDBkws()
{
    try {
        auto guard = project().lock();
        SqlTransaction transaction(project().connection());
        KeywordStore::normalizeAll(project(), cache());
        CountsRefresh::markAll(project());
        transaction.commit();
    } catch (const std::exception&) {
    }
    return {};
}

// ---- Groups ----------------------------------------------------------------------------------

int DBaser::AddGroup(const QString& Name, int ParentId)
{
    bool first = false;
    const int id = guarded("AddGroup", [&] {
        auto guard = project().lock();
        return GroupStore::addGroup(project(), Name, ParentId, first);
    });
    if (first)
        emit GroupInfoChanged();
    return id;
}

void DBaser::RemoveGroup(int Id)
{
    guarded("RemoveGroup", [&] { GroupStore::removeGroup(project(), Id); });
}

int DBaser::UpdateGroup(int Id, const QString& NewName, std::optional<int> NewParent)
{
    guarded("UpdateGroup", [&] { GroupStore::updateGroup(project(), Id, NewName, NewParent); });
    return 0;
}

void DBaser::MoveGroup(int GroupId, int NewParentId)
{
    guarded("MoveGroup", [&] { GroupStore::moveGroup(project(), GroupId, NewParentId); });
}

void DBaser::AddToGroup(const CKeyedCollection& KWs, int GroupId)
{
    guarded("AddToGroup", [&] {
        if (KWs.Count() == 0)
            return;
        SqlTransaction transaction(project().connection());
        GroupStore::addToGroup(project(), ids(KWs), GroupId);
        transaction.commit();
    });
}

void DBaser::RemoveFromGroup(const CKeyedCollection& KWs, int GroupId)
{
    guarded("RemoveFromGroup", [&] {
        if (KWs.Count() == 0)
            return;
        SqlTransaction transaction(project().connection());
        GroupStore::removeFromGroup(project(), ids(KWs), GroupId);
        transaction.commit();
    });
}

void DBaser::MoveToGroup(const CKeyedCollection& KWs, int FromGroup, int GroupId)
{
    guarded("MoveToGroup", [&] {
        if (KWs.Count() == 0)
            return;
        SqlTransaction transaction(project().connection());
        RemoveFromGroup(KWs, FromGroup);
        AddToGroup(KWs, GroupId);
        transaction.commit();
    });
}

CDataNodes DBaser::GetGroups(const CAttributes* Params)
{
    return guarded("GetGroups", [&] {
        const bool withCounts = Params && Params->Exists(QStringLiteral("CS_INCLUDE_KWS_COUNT"));
        return GroupStore::groups(project(), withCounts);
    });
}

// ---- Search counts ---------------------------------------------------------------------------

void DBaser::AddOvertured(CDataNode& KWs, const QString& OriginatingKW)
{
    Q_UNUSED(OriginatingKW)
    guarded("AddOvertured", [&] {
        if (KWs.Attributes().Count() == 0)
            return;
        std::vector<std::pair<QString, QVariant>> counts;
        for (const CAttribute& attribute : KWs.Attributes())
            counts.emplace_back(StoredKeys::identity(attribute.Name()), attribute.Values().Item(1));
        {
            auto guard = cache().lock();
            SqlTransaction transaction(cache().connection());
            CountStore::storeCounts(cache(), counts);
            transaction.commit();
        }
        refreshCounts();
        signalNewOvertureCounts();
    });
}

QDateTime DBaser::OverDate(const QString& KW)
{
    return CountStore::overDate(project(), KW);
}

void DBaser::RecalcOverTimes()
{
    const BusyFlag busy(m_busy);
    guarded("RecalcOverTimes", [&] {
        auto guard = project().lock();
        // No record of the copies survives an end half-way through.
        CountsRefresh::markAll(project());
        emit WorkStep(QStringLiteral("Deleting the search counts older than 60 days..."));
        CountStore::deleteStaleCounts(project(), cache());
        emit WorkStep(QStringLiteral("Clearing the search counts of the project..."));
        CountStore::clearCopiesWithoutCount(project());
        emit WorkStep(QStringLiteral("Copying the search counts into the project..."));
        refreshCounts();
    });
}

QString DBaser::get1stNotOvertured()
{
    return NotOverturedFirst(1).value(0);
}

// The page that page(truly) reads after the refresh. When the cache holds a count that the
// copies missed (a write nothing told of), every count is copied once, and only keywords that
// truly lack one are handed out, whether the copy mended the others or not.
template <class Page> auto DBaser::uncountedOrMended(Page&& page) -> decltype(page(false))
{
    copyEverythingAside();
    auto guard = project().lock();
    refreshCounts();
    auto first = page(false);
    if (!first.behind)
        return first;
    if (m_log)
        m_log->Write(0,
                     QStringLiteral("The search counts of the project were behind the "
                                    "cache; copying every count."),
                     5, QStringLiteral("DBaser.get1stNotOvertured"));
    try {
        CountsRefresh::markAll(project());
        refreshCounts();
    } catch (const ZError& error) {
        logError(error, 4, QStringLiteral("DBaser.RefreshCounts"));
    }
    return page(true);
}

QStringList DBaser::NotOverturedFirst(int Count)
{
    return guarded("get1stNotOvertured", [&] {
        return uncountedOrMended([&](bool truly) {
                   return CountStore::firstWithoutCount(project(), Count, truly);
               })
            .keywords;
    });
}

DueStamp DBaser::NotOverturedStamp()
{
    return guarded("get1stNotOvertured", [&] { return dueStamp(true); });
}

DueSince DBaser::NotOverturedSince(const DueStamp& Then)
{
    return guarded("get1stNotOvertured", [&] { return dueSince(true, Then); });
}

DuePage DBaser::NotOverturedFrom(const std::optional<DueKey>& From, int Count)
{
    return guarded("get1stNotOvertured", [&] {
        return uncountedOrMended([&](bool truly) {
                   return CountStore::withoutCountFrom(project(), From, Count, truly);
               })
            .page;
    });
}

DueCheck DBaser::NotOverturedDue(const QString& KW)
{
    return guarded("get1stNotOvertured", [&] { return CountStore::withoutCount(project(), KW); });
}

DueStamp DBaser::ForLookupStamp()
{
    return guarded("get1stForLookup", [&] { return dueStamp(false); });
}

DueSince DBaser::ForLookupSince(const DueStamp& Then)
{
    return guarded("get1stForLookup", [&] { return dueSince(false, Then); });
}

DuePage DBaser::ForLookupFrom(const std::optional<DueKey>& From, int Count, double Now)
{
    return guarded("get1stForLookup",
                   [&] { return CountStore::forLookupFrom(project(), From, Count, Now); });
}

DueCheck DBaser::ForLookupDue(const QString& KW, double Now)
{
    return guarded("get1stForLookup", [&] { return CountStore::forLookup(project(), KW, Now); });
}

QString DBaser::get1stForLookup()
{
    return ForLookupFirst(1).value(0);
}

QStringList DBaser::ForLookupFirst(int Count)
{
    return guarded("get1stForLookup", [&] { return CountStore::firstForLookup(project(), Count); });
}

void DBaser::UpdateLookupDate(const QString& KW)
{
    guarded("UpdateLookupDate", [&] { CountStore::updateLookupDate(project(), KW); });
}

// ---- Lead words ------------------------------------------------------------------------------

QStringList DBaser::GetMostPopularWords()
{
    return guarded("GetMostPopularWords", [&] { return LeadWords::mostPopular(getKWs(kwk_kws)); });
}

int DBaser::ImportFromCacheForWord(const QString& Word)
{
    return guarded("ImportFromCacheForWord", [&] {
        auto guard = project().lock();
        const BusyFlag held(m_connectionHeld);
        const QStringList found = CacheIndex::keywordsWithWord(project(), Word);
        if (found.isEmpty())
            return 0;
        CDataNode operation;
        AddKWs(collectionOf(found), operation);
        return static_cast<int>(found.size());
    });
}

} // namespace zentrel

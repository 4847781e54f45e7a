#include "engine/ComponentRegistry.h"

#include <QThread>
#include <gtest/gtest.h>

#include "engine/database/CTimerHelper.h"
#include "engine/platform/ZError.h"

namespace {

class RegisteredHere final : public QObject {
    Q_OBJECT
public:
    RegisteredHere() = default;
};

const zentrel::ComponentRegistration registration{
    "Zentrel.RegisteredHere", [] { return std::make_unique<RegisteredHere>(); }};

} // namespace

using zentrel::ComponentRegistry;

TEST(ComponentRegistry, CreatesARegisteredClassByProgIdWithoutRegardToCase)
{
    for (const char* progId :
         {"Zentrel.CTimerHelper", "zentrel.ctimerhelper", "ZENTREL.CTIMERHELPER"}) {
        SCOPED_TRACE(progId);
        const std::unique_ptr<QObject> object =
            ComponentRegistry::instance().create(QString::fromLatin1(progId));
        ASSERT_NE(qobject_cast<zentrel::CTimerHelper*>(object.get()), nullptr);
        EXPECT_EQ(object->thread(), QThread::currentThread());
    }
    EXPECT_TRUE(ComponentRegistry::instance().contains(QStringLiteral("zentrel.registeredhere")));
    EXPECT_EQ(
        ComponentRegistry::instance().find(QStringLiteral("Zentrel.RegisteredHere")).metaObject,
        &RegisteredHere::staticMetaObject);
}

TEST(ComponentRegistry, EveryCreatableClassOfTheEngineHasItsProgId)
{
    for (const char* name : {"CDownloader", "CDLoadWorker", "DBaser", "CSEContacter", "CSECWorker",
                             "Scripting", "COverworker", "COP", "CTimer", "CTimerHelper"}) {
        SCOPED_TRACE(name);
        const std::unique_ptr<QObject> object =
            ComponentRegistry::instance().create(QStringLiteral("Zentrel.") + QLatin1String(name));
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(QLatin1String(object->metaObject()->className()),
                  QStringLiteral("zentrel::") + QLatin1String(name));
    }
}

TEST(ComponentRegistry, AnUnknownProgIdIsAnErrorNamingIt)
{
    EXPECT_FALSE(ComponentRegistry::instance().contains(QStringLiteral("Zentrel.Nowhere")));
    try {
        ComponentRegistry::instance().create(QStringLiteral("Zentrel.Nowhere"));
        FAIL() << "no error";
    } catch (const zentrel::ZError& error) {
        EXPECT_EQ(error.number(), zentrel::kInvalidClassString);
        EXPECT_TRUE(error.description().contains(QStringLiteral("Zentrel.Nowhere")));
    }
}

#include "ComponentRegistry_test.moc"

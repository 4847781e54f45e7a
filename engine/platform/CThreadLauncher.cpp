#include "engine/platform/CThreadLauncher.h"

#include <QMetaMethod>

#include "engine/ComponentRegistry.h"
#include "engine/platform/WorkerThread.h"
#include "engine/platform/ZError.h"

namespace zentrel {

namespace {

const QString kSource = QStringLiteral("CThreadLauncher.Run");

int findMethod(const QMetaObject& metaObject, const QString& methodName)
{
    const QMetaType dataType = QMetaType::fromType<CKeyedCollectionPtr>();
    for (int i = 0; i < metaObject.methodCount(); ++i) {
        const QMetaMethod method = metaObject.method(i);
        const bool callable =
            method.access() == QMetaMethod::Public && (method.methodType() == QMetaMethod::Method ||
                                                       method.methodType() == QMetaMethod::Slot);
        if (callable && method.parameterCount() == 1 && method.parameterMetaType(0) == dataType &&
            QString::fromLatin1(method.name()).compare(methodName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

ThreadHandle CThreadLauncher::Run(const QString& progId, const QString& methodName,
                                  CKeyedCollectionPtr data) const
{
    const ComponentRegistry::Component component = ComponentRegistry::instance().find(progId);
    const int methodIndex = findMethod(*component.metaObject, methodName);
    if (methodIndex < 0)
        throw ZError(kUnknownMethod,
                     QStringLiteral("The component \"%1\" has no method \"%2\" taking a parameter "
                                    "collection")
                         .arg(progId, methodName),
                     kSource);

    const QString description = progId + QLatin1Char('.') + methodName;
    auto thread = std::make_unique<WorkerThread>(component.factory, methodIndex, std::move(data),
                                                 description);
    thread->start();
    // A thread that started is running or, when very quick, already finished.
    if (!thread->isRunning() && !thread->isFinished())
        throw ZError(kUnexpected,
                     QStringLiteral("The thread for %1 could not be started").arg(description),
                     kSource);
    return ThreadHandle(std::move(thread));
}

std::unique_ptr<QObject> CThreadLauncher::CreateObject(const QString& progId) const
{
    return ComponentRegistry::instance().create(progId);
}

} // namespace zentrel

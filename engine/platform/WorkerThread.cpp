#include "engine/platform/WorkerThread.h"

#include <exception>

#include "engine/platform/ZError.h"

namespace zentrel {

WorkerThread::WorkerThread(ComponentFactory factory, int methodIndex, CKeyedCollectionPtr data,
                           QString description)
    : m_factory(std::move(factory))
    , m_methodIndex(methodIndex)
    , m_data(std::move(data))
    , m_description(std::move(description))
{
    setObjectName(m_description);
}

WorkerThread::~WorkerThread() = default;

void WorkerThread::run()
{
    // Nothing may escape a thread: an error the method leaves unhandled ends the thread.
    try {
        callComponent();
    } catch (const ZError& error) {
        qWarning("%s ended with error 0x%08X: %s", qUtf8Printable(m_description), error.number(),
                 qUtf8Printable(error.description()));
    } catch (const std::exception& error) {
        qWarning("%s ended with an error: %s", qUtf8Printable(m_description), error.what());
    } catch (...) {
        qWarning("%s ended with an unknown error", qUtf8Printable(m_description));
    }
    // What the data holds is released here, on the worker's own thread.
    m_data.reset();
    m_factory = nullptr;
}

void WorkerThread::callComponent()
{
    const std::unique_ptr<QObject> component = m_factory();
    if (!component)
        throw ZError(kUnexpected, QStringLiteral("The component could not be created"));
    // The call goes straight into the class's own meta-call, so an exception from the method
    // reaches run() without passing through Qt.
    CKeyedCollectionPtr data = m_data;
    void* arguments[] = {nullptr, &data};
    component->qt_metacall(QMetaObject::InvokeMetaMethod, m_methodIndex, arguments);
}

} // namespace zentrel

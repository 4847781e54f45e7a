#pragma once

#include <QThread>

#include "engine/ComponentRegistration.h"
#include "engine/platform/CKeyedCollection.h"

namespace zentrel {

// One launched call: creates the component on this thread, calls the method with the data, and
// destroys the component here before the thread ends. The thread has an event dispatcher, so the
// method may pump its own events.
class WorkerThread final : public QThread {
public:
    WorkerThread(ComponentFactory factory, int methodIndex, CKeyedCollectionPtr data,
                 QString description);
    ~WorkerThread() override;
    Q_DISABLE_COPY_MOVE(WorkerThread)

protected:
    void run() override;

private:
    void callComponent();

    ComponentFactory m_factory;
    const int m_methodIndex;
    CKeyedCollectionPtr m_data;
    const QString m_description;
};

} // namespace zentrel

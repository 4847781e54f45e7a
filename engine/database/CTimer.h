#pragma once

#include <memory>

#include <QObject>
#include <QString>
#include <QVariant>

#include "engine/platform/CMessanger.h"
#include "engine/platform/NamedEvent.h"
#include "engine/platform/ThreadHandle.h"

namespace zentrel {

// Raises Timer on the thread that owns it, once per period of Interval milliseconds rounded to
// whole seconds, while a helper thread of its own does the waiting. Called on its owner's thread
// only.
class CTimer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CTimer)

public:
    explicit CTimer(QObject* parent = nullptr);
    ~CTimer() override;

    int Interval() const { return mInterval; }
    // A value of 1 or more restarts an enabled timer with the new period; a smaller one is only
    // stored and a running helper keeps its period.
    void setInterval(int value);

    bool Enabled() const { return mEnabled; }
    // Raises kInvalidArgument when enabling with Interval below 1; the timer stays disabled.
    void setEnabled(bool value);

signals:
    void Timer();

private:
    void StartHelper();
    void StopHelper();
    void moMessanger_MsgArrived(int Msg, const QVariant& Data, const QString& Sender,
                                const QString& Receiver);

    CMessangerPtr moMessanger;
    ThreadHandle mHelper; // the helper's thread, joined when the timer stops
    NamedEvent mCancelEvent;
    int mInterval = 0;
    bool mEnabled = false;
    // A fresh name for every start, so that a helper of an earlier start never finds the event of
    // a later one.
    QString mCancelEventName;
};

} // namespace zentrel

#pragma once

#include <QObject>
#include <QString>
#include <QTime>
#include <QVariant>

#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CMessanger.h"

namespace zentrel {

// The body of a CTimer's helper thread: waits the period, posts a tick to the timer's messenger
// and waits again until the timer cancels it. Started by the thread launcher under
// "Zentrel.CTimerHelper", method "Run".
class CTimerHelper final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CTimerHelper)

public:
    CTimerHelper() = default;
    ~CTimerHelper() override = default;

    // Data: "CancelEventName", "Messanger" and "Interval" (milliseconds). Returns when cancelled,
    // when the cancel event no longer exists, or on any error (a failed Post included).
    Q_INVOKABLE void Run(zentrel::CKeyedCollectionPtr Data);

    // The whole seconds of one period: Interval / 1000 rounded half to even.
    static int SecondsForInterval(int interval);

    // Seconds until the next clock time whose minute is a multiple of Step (1, 3, 5, 10, 15, 20,
    // 30 or 60 minutes); 0 for any other Step.
    static int SecondsToNextMark(const QVariant& Step, QTime now = QTime::currentTime());

private:
    // True when the full wait ran out, false when cancelled or the event is gone.
    static bool WaitInterval(int Seconds, const QString& cancelEventName);
    static void letMessagesRun(int pauseMs);

    CMessangerPtr moMessanger;
    QString mCancelEventName;
};

} // namespace zentrel

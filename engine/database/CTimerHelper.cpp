#include "engine/database/CTimerHelper.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

#include <QCoreApplication>
#include <QThread>

#include "engine/ComponentRegistration.h"
#include "engine/platform/NamedEvent.h"

namespace zentrel {

namespace {
const ComponentRegistration registration{"Zentrel.CTimerHelper",
                                         [] { return std::make_unique<CTimerHelper>(); }};

constexpr std::array kMarkSteps{1, 3, 5, 10, 15, 20, 30, 60};
} // namespace

void CTimerHelper::Run(zentrel::CKeyedCollectionPtr Data)
{
    try {
        moMessanger = Data->Object<CMessanger>(QStringLiteral("Messanger"));
        mCancelEventName = Data->Item(QStringLiteral("CancelEventName")).toString();
        const int interval = Data->Item(QStringLiteral("Interval")).toInt();
        bool cancelled = moMessanger == nullptr;
        while (!cancelled) {
            letMessagesRun(5);
            cancelled = !WaitInterval(SecondsForInterval(interval), mCancelEventName);
            if (!cancelled)
                moMessanger->Post(0, mCancelEventName, QString(), QString());
        }
    } catch (...) {
        // Any error, a failed Post included, ends the helper.
    }
    moMessanger.reset();
}

int CTimerHelper::SecondsForInterval(int interval)
{
    return static_cast<int>(std::nearbyint(interval / 1000.0));
}

bool CTimerHelper::WaitInterval(int Seconds, const QString& cancelEventName)
{
    const NamedEvent cancelEvent = NamedEvent::open(cancelEventName);
    if (!cancelEvent)
        return false;
    const bool cancelled = cancelEvent.wait(std::chrono::seconds(Seconds));
    letMessagesRun(1);
    return !cancelled;
}

void CTimerHelper::letMessagesRun(int pauseMs)
{
    QCoreApplication::processEvents();
    QThread::msleep(static_cast<unsigned long>(pauseMs));
}

int CTimerHelper::SecondsToNextMark(const QVariant& Step, QTime now)
{
    bool isNumber = false;
    const double step = Step.toDouble(&isNumber);
    const bool known =
        isNumber && std::find(kMarkSteps.begin(), kMarkSteps.end(), step) != kMarkSteps.end();
    if (!known)
        return 0;
    const double current = now.minute() + now.second() / 60.0;
    const double next = step * std::floor(current / step + 1);
    return static_cast<int>(std::nearbyint((next - current) * 60));
}

} // namespace zentrel

#include "engine/database/CTimer.h"

#include <QUuid>

#include "engine/ComponentRegistration.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/CThreadLauncher.h"
#include "engine/platform/ZError.h"

namespace zentrel {

namespace {
const ComponentRegistration registration{"Zentrel.CTimer",
                                         [] { return std::make_unique<CTimer>(); }};
} // namespace

CTimer::CTimer(QObject* parent)
    : QObject(parent)
    , moMessanger(CMessanger::create())
{
    connect(moMessanger.get(), &CMessanger::MsgArrived, this, &CTimer::moMessanger_MsgArrived);
}

CTimer::~CTimer()
{
    setEnabled(false);
    moMessanger->close();
}

void CTimer::setInterval(int value)
{
    mInterval = value;
    if (value >= 1 && mEnabled) {
        setEnabled(false);
        setEnabled(true);
    }
}

void CTimer::setEnabled(bool value)
{
    if (value == mEnabled)
        return;
    if (!value) {
        mEnabled = false;
        StopHelper();
        return;
    }
    if (mInterval < 1)
        throw ZError(kInvalidArgument, QString(), QStringLiteral("CTimer"));
    mEnabled = true;
    try {
        StartHelper();
    } catch (...) {
        // A helper that could not start leaves the timer disabled.
        mEnabled = false;
        StopHelper();
        throw;
    }
}

void CTimer::StartHelper()
{
    auto parameters = std::make_shared<CKeyedCollection>();
    mCancelEventName = QUuid::createUuid().toString(QUuid::WithBraces);
    parameters->Add(mCancelEventName, QStringLiteral("CancelEventName"));
    parameters->AddObject(moMessanger, QStringLiteral("Messanger"));
    parameters->Add(mInterval, QStringLiteral("Interval"));
    mCancelEvent = NamedEvent::create(mCancelEventName);
    mHelper = CThreadLauncher().Run(QStringLiteral("Zentrel.CTimerHelper"), QStringLiteral("Run"),
                                    parameters);
}

void CTimer::StopHelper()
{
    mCancelEvent.set();
    mCancelEvent.close();
    mHelper.reset();
}

void CTimer::moMessanger_MsgArrived(int, const QVariant&, const QString&, const QString&)
{
    emit Timer();
}

} // namespace zentrel

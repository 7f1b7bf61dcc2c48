#include "core/arrival_clock.h"

#include <QDateTime>

#include <atomic>
#include <chrono>

namespace {

qint64 systemWallMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

std::atomic<ArrivalClock::WallSource> arrivalWallSource{&systemWallMs};

} // namespace

namespace ArrivalClock {

ArrivalTime read()
{
    return ArrivalTime{steadyMs(), wallMs()};
}

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

qint64 wallMs()
{
    return arrivalWallSource.load(std::memory_order_relaxed)();
}

void setWallSource(WallSource source)
{
    arrivalWallSource.store(source ? source : &systemWallMs, std::memory_order_relaxed);
}

} // namespace ArrivalClock

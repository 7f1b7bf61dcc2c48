#include "devices/read_gathering.h"

#include "core/receive_tuning.h"

#include <QSocketNotifier>

ReadGathering::ReadGathering(QObject *parent)
    : QObject(parent)
{
    m_rest.setSingleShot(true);
    m_rest.setTimerType(Qt::PreciseTimer); // the bound a lone byte may wait
    m_rest.setInterval(kRestMs);
    connect(&m_rest, &QTimer::timeout, this, &ReadGathering::resume);
}

void ReadGathering::afterBatch(QSocketNotifier *notifier, qsizetype batchSize, qsizetype batchBound,
                               const std::function<bool()> &mayResume)
{
    if (!notifier || !notifier->isEnabled() || !receiveTuning().gatherBusyReads)
        return;
    if (batchSize < kBusyBatch || batchSize >= batchBound)
        return;
    m_notifier = notifier;
    m_mayResume = mayResume;
    notifier->setEnabled(false);
    m_rest.start();
}

void ReadGathering::stop()
{
    m_rest.stop();
    m_notifier = nullptr;
    m_mayResume = {};
}

void ReadGathering::resume()
{
    QSocketNotifier *notifier = m_notifier;
    const bool may = !m_mayResume || m_mayResume();
    m_notifier = nullptr;
    m_mayResume = {};
    if (notifier && may)
        notifier->setEnabled(true);
}

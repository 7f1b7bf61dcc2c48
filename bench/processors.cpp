#include "processors.h"

#include <QStringList>

#include <algorithm>
#include <vector>

bool keepThreadOn(int processor)
{
    if (processor < 0)
        return false;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(processor, &one);
    return sched_setaffinity(0, sizeof one, &one) == 0;
}

KeptOnThisProcessor::KeptOnThisProcessor()
{
    if (sched_getaffinity(0, sizeof m_before, &m_before) != 0)
        return;
    m_processor = sched_getcpu();
    m_kept = keepThreadOn(m_processor);
}

KeptOnThisProcessor::~KeptOnThisProcessor()
{
    if (m_kept)
        sched_setaffinity(0, sizeof m_before, &m_before);
}

QList<int> usableProcessors()
{
    cpu_set_t set;
    QList<int> processors;
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return processors;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &set))
            processors.append(cpu);
    }
    return processors;
}

int KeptOnThisProcessor::other() const
{
    for (int cpu = 0; m_kept && cpu < CPU_SETSIZE; ++cpu) {
        if (cpu != m_processor && CPU_ISSET(cpu, &m_before))
            return cpu;
    }
    return m_processor;
}

void processorSpeedRow(BenchTable &table, const QString &what, const std::function<double()> &work)
{
    cpu_set_t before;
    if (sched_getaffinity(0, sizeof before, &before) != 0)
        return;
    QStringList results;
    double fastest = 0;
    double slowest = 0;
    for (const int cpu : usableProcessors()) {
        if (!keepThreadOn(cpu))
            continue;
        std::vector<double> seconds;
        for (int run = 0; run < 5; ++run)
            seconds.push_back(work());
        std::sort(seconds.begin(), seconds.end());
        const double median = seconds[seconds.size() / 2];
        fastest = results.isEmpty() ? median : std::min(fastest, median);
        slowest = std::max(slowest, median);
        results.append(
            QStringLiteral("processor %1: %2 ms").arg(cpu).arg(median * 1000, 0, 'f', 1));
    }
    sched_setaffinity(0, sizeof before, &before);
    table.row(QStringLiteral("machine: %1, median of 5 on each processor").arg(what),
              results.join(QStringLiteral(", ")) +
                  QStringLiteral(" (slowest %1x the fastest)")
                      .arg(fastest > 0 ? slowest / fastest : 0, 0, 'f', 2),
              QString());
}

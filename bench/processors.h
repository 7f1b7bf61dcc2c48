#pragma once

#include "bench_table.h"

#include <QList>

#include <functional>

#include <sched.h>

// This machine's processors need not be equal: a virtual machine's share
// of a host core can run the same work markedly slower than another's. So a
// comparison of alternated runs keeps the thread that does the work on one
// processor (KeptOnThisProcessor), and the processor row shows how far
// apart they are.

// Keeps the calling thread on the processor it runs on now while it lives,
// then lets it run anywhere it could before.
class KeptOnThisProcessor
{
public:
    KeptOnThisProcessor();
    ~KeptOnThisProcessor();
    KeptOnThisProcessor(const KeptOnThisProcessor &) = delete;
    KeptOnThisProcessor &operator=(const KeptOnThisProcessor &) = delete;

    int processor() const { return m_processor; }
    // Another processor the thread could run on before, or processor() when
    // there is no other.
    int other() const;

private:
    cpu_set_t m_before;
    bool m_kept = false;
    int m_processor = -1;
};

// The processors this process may run on.
QList<int> usableProcessors();
// Keeps the calling thread on `processor`; false when it cannot (a
// negative one included).
bool keepThreadOn(int processor);

// A row of `work`'s seconds (the median of five) on each usable processor,
// the calling thread kept there while it runs.
void processorSpeedRow(BenchTable &table, const QString &what, const std::function<double()> &work);

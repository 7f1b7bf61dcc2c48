#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

// Prints the benchmark's findings as a Markdown table, row by row as they come.
class BenchTable
{
public:
    void header()
    {
        std::printf("| measure | result | goal | met |\n|---|---|---|---|\n");
        std::fflush(stdout);
    }
    void row(const QString &measure, const QString &result, const QString &goal = {}, int met = -1)
    {
        const char *verdict = met < 0 ? "" : (met ? "yes" : "**no**");
        std::printf("| %s | %s | %s | %s |\n", qPrintable(measure), qPrintable(result),
                    qPrintable(goal), verdict);
        std::fflush(stdout);
    }
};

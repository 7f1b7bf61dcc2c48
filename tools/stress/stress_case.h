#pragma once

#include <QString>

// One stream of random bytes into one channel of the real main window, in
// "Real Time", and what came of it.
struct StressCase
{
    enum class Source
    {
        Pty,
        Tcp
    };
    Source source = Source::Pty;
    bool hex = false;
    qint64 bytes = 0;
    quint32 seed = 1;
};

struct StressResult
{
    QString name;
    qint64 bytes = 0;
    double seconds = 0;
    bool exact = false;
    QString note; // why it isn't exact
};

StressResult runStressCase(const StressCase &stressCase);

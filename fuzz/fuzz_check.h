#pragma once

#include <QByteArrayView>

#include <cstdio>
#include <cstdlib>

// A target's failed check: says what broke and prints the input in hex, then
// aborts so libFuzzer (or the corpus replay) keeps the input. Each target
// sets g_input at the start of every run.
inline QByteArrayView g_input;

inline void check(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s (input %s)\n", what, g_input.toByteArray().toHex(' ').constData());
    std::abort();
}

#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Running the build tree's tools and outside checkers from a test.

// The build tree under test (CTest sets VARNOK_TEST_BINARY_DIR).
QString testBinaryDir();

// The cmake or cpack that configured the build tree (its cache names them),
// else the one on the PATH.
QString buildTool(const QString &cacheEntry, const QString &fallback);

struct ToolRun
{
    int exitCode = -1; // -1 also when it crashed or did not finish
    QString output;    // standard output and error together
};

ToolRun runTool(const QString &program, const QStringList &arguments,
                const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// The lines of a checker's report that start with one of `tags`, such as
// "E:" and "W:".
QStringList reportLines(const QString &report, const QStringList &tags);

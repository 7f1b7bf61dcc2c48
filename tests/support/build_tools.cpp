#include "support/build_tools.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

QString testBinaryDir()
{
    return qEnvironmentVariable("VARNOK_TEST_BINARY_DIR");
}

QString buildTool(const QString &cacheEntry, const QString &fallback)
{
    QFile cache(testBinaryDir() + QStringLiteral("/CMakeCache.txt"));
    if (cache.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString prefix = cacheEntry + QStringLiteral(":INTERNAL=");
        while (!cache.atEnd()) {
            const QString line = QString::fromLocal8Bit(cache.readLine()).trimmed();
            if (line.startsWith(prefix) && QFileInfo(line.mid(prefix.size())).isExecutable())
                return line.mid(prefix.size());
        }
    }
    return QStandardPaths::findExecutable(fallback);
}

ToolRun runTool(const QString &program, const QStringList &arguments,
                const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ToolRun result;
    // Packing and lintian take tens of seconds, several times that on a
    // machine busy with other builds.
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        result.output = QStringLiteral("did not finish: ") + program;
        return result;
    }
    result.output = QString::fromLocal8Bit(process.readAll());
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

QStringList reportLines(const QString &report, const QStringList &tags)
{
    QStringList found;
    for (const QString &line : report.split(u'\n')) {
        if (std::any_of(tags.cbegin(), tags.cend(),
                        [&](const QString &tag) { return line.startsWith(tag); }))
            found.append(line);
    }
    return found;
}

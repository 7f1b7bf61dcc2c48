// The programs run from a shell: varnokterm answers --help and --version
// without a display, and every program reports the project's version.

#include "app/command_line.h"
#include "version.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

namespace {

QString built(const QString &relative)
{
    return qEnvironmentVariable("VARNOK_TEST_BINARY_DIR") + u'/' + relative;
}

const QString terminalProgram = QStringLiteral("src/app/varnokterm");

struct Run
{
    bool exitedNormally = false;
    int exitCode = -1;
    QString output; // standard output alone
    QString errors; // standard error
};

Run run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(built(program), arguments);
    Run result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitedNormally = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

// Opening a window fails here: no display, and a platform plugin that does
// not exist.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    return environment;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
    void refusesMistypedCommandLine_data();
    void refusesMistypedCommandLine();
    void startingNeedsDisplay();
    void setupFileArgument_data();
    void setupFileArgument();
    void reportsProjectVersion_data();
    void reportsProjectVersion();
};

void TestCommandLine::answersWithoutDisplay_data()
{
    const QString versionLine = QStringLiteral("varnokterm %1.%2.%3\nCopyright (C) ")
                                    .arg(Version::major)
                                    .arg(Version::minor)
                                    .arg(Version::revision);
    const QStringList helpLines{QStringLiteral("Usage: varnokterm [options]"), // not its path
                                QStringLiteral("-h, --help"), QStringLiteral("-v, --version"),
                                QStringLiteral("[setup.vterm]"),
                                QStringLiteral("A setup file (.vterm) to start with.")};
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")}
                               << QStringList{versionLine};
    QTest::newRow("-v") << QStringList{QStringLiteral("-v")} << QStringList{versionLine};
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << helpLines;
    QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << helpLines;
    QTest::newRow("after Qt's -style")
        << QStringList{QStringLiteral("-style"), QStringLiteral("fusion"),
                       QStringLiteral("--version")}
        << QStringList{versionLine};
    QTest::newRow("after Qt's --platform=")
        << QStringList{QStringLiteral("--platform=offscreen"), QStringLiteral("-reverse"),
                       QStringLiteral("-v")}
        << QStringList{versionLine};
}

// Status 2 and the reason on standard error, before any window: the test
// runs where opening one fails.
void TestCommandLine::refusesMistypedCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("--bogus") << QStringList{QStringLiteral("--bogus")}
                             << QStringLiteral("Unknown option 'bogus'");
    QTest::newRow("-x") << QStringList{QStringLiteral("-x"), QStringLiteral("a.vterm")}
                        << QStringLiteral("Unknown option 'x'");
    QTest::newRow("with --help") << QStringList{QStringLiteral("--help"), QStringLiteral("-x")}
                                 << QStringLiteral("Unknown option 'x'");
    QTest::newRow("--script without its file")
        << QStringList{QStringLiteral("--script")} << QStringLiteral("Missing value after");
    QTest::newRow("two setup files")
        << QStringList{QStringLiteral("a.vterm"), QStringLiteral("-style"),
                       QStringLiteral("fusion"), QStringLiteral("b.vterm")}
        << QStringLiteral("More than one setup file: a.vterm, b.vterm");
}

void TestCommandLine::refusesMistypedCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    const Run answer = run(terminalProgram, arguments, withoutDisplay());
    QVERIFY(answer.exitedNormally);
    QCOMPARE(answer.exitCode, 2);
    QVERIFY2(answer.errors.startsWith(QStringLiteral("varnokterm: ")) &&
                 answer.errors.contains(reason),
             qPrintable(answer.errors));
    QVERIFY(answer.output.isEmpty());
}

void TestCommandLine::answersWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expected);
    const Run answer = run(terminalProgram, arguments, withoutDisplay());
    QVERIFY(answer.exitedNormally);
    QCOMPARE(answer.exitCode, 0);
    for (const QString &text : expected)
        QVERIFY2(answer.output.contains(text),
                 qPrintable(text + QStringLiteral(" missing from:\n") + answer.output));
}

// Without an option to answer, the program starts its window, and that fails
// where answersWithoutDisplay() runs.
void TestCommandLine::startingNeedsDisplay()
{
    const Run start = run(terminalProgram, {}, withoutDisplay());
    QVERIFY(!start.exitedNormally || start.exitCode != 0);
}

// What QApplication leaves of the command line: its own options are gone.
void TestCommandLine::setupFileArgument_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("setupFile");
    const QString program = QStringLiteral("varnokterm");
    QTest::newRow("none") << QStringList{program} << QString();
    QTest::newRow("absolute") << QStringList{program, QStringLiteral("/srv/lab/bench.vterm")}
                              << QStringLiteral("/srv/lab/bench.vterm");
    QTest::newRow("relative") << QStringList{program, QStringLiteral("bench.vterm")}
                              << QDir::current().absoluteFilePath(QStringLiteral("bench.vterm"));
    QTest::newRow("beside a Qt option the platform left")
        << QStringList{program, QStringLiteral("-display"), QStringLiteral(":1"),
                       QStringLiteral("/a.vterm")}
        << QStringLiteral("/a.vterm");
}

void TestCommandLine::setupFileArgument()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, setupFile);
    QCOMPARE(CommandLine().setupFile(arguments), setupFile);
}

void TestCommandLine::reportsProjectVersion_data()
{
    const QString version =
        QStringLiteral("%1.%2.%3").arg(Version::major).arg(Version::minor).arg(Version::revision);
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("varnokterm") << terminalProgram << QStringLiteral("varnokterm ") + version;
    QTest::newRow("varnok-demo-peer") << QStringLiteral("tools/demo-peer/varnok-demo-peer")
                                      << QStringLiteral("varnok-demo-peer ") + version;
    QTest::newRow("varnok-stress") << QStringLiteral("tools/stress/varnok-stress")
                                   << QStringLiteral("varnok-stress ") + version;
}

void TestCommandLine::reportsProjectVersion()
{
    QFETCH(QString, program);
    QFETCH(QString, firstLine);
    if (!QFileInfo::exists(built(program)))
        QSKIP("not built in this tree (VARNOK_BUILD_TOOLS=OFF)");
    const Run answer = run(program, {QStringLiteral("--version")});
    QCOMPARE(answer.exitCode, 0);
    QCOMPARE(answer.output.section(u'\n', 0, 0), firstLine);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"

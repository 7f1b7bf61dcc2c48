// The monitor view on real channels: two ptys written in turn, each piece
// only once the one before has been received, so the order is known
// without timing; the view and a timestamped log of both channels agree.
#include "core/log/log_reader.h"
#include "devices/capture_session.h"
#include "support/pty_pair.h"
#include "ui/capture_pane.h"
#include "ui/monitor_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <array>

class TestMonitorView : public QObject
{
    Q_OBJECT

private slots:
    void runsInArrivalOrderAsTheLog();
};

namespace {

// What the pane copies with all of it selected.
QString copiedMonitorText(CapturePane &pane)
{
    pane.flushPendingUpdate();
    pane.selectAll();
    QGuiApplication::clipboard()->clear();
    pane.copy();
    return QGuiApplication::clipboard()->text();
}

} // namespace

void TestMonitorView::runsInArrivalOrderAsTheLog()
{
    QTemporaryDir dir;
    CaptureSession session;
    session.setSignOnDefaults();
    std::array<PtyPair, 2> ptys;
    for (int n : {1, 2})
        session.channel(n).switchOnSerial(ptys.at(size_t(n - 1)).slavePath(),
                                          session.serialSettings());
    MonitorWindow window(session, nullptr);
    const QString logPath = dir.filePath(QStringLiteral("both.log"));
    QCOMPARE(session.recordings().start(RecordSource::allChannels(), RecordKind::Log, logPath,
                                        FileWriter::Existing::Replace),
             QString());

    const std::array<std::pair<int, QByteArray>, 6> pieces{
        {{1, "a1\r\n"}, {2, "b1\n"}, {2, "b2\r\n"}, {1, "x\ty\n"}, {2, "b3\r\n"}, {1, "a2\r\n"}}};
    for (const auto &[n, bytes] : pieces) {
        const qint64 held = window.monitor().store().byteCount() + bytes.size();
        ptys.at(size_t(n - 1)).write(bytes);
        QTRY_COMPARE(window.monitor().store().byteCount(), held);
    }
    const QString ascii = copiedMonitorText(*window.pane());
    QCOMPARE(ascii, QStringLiteral("1< a1\r\n2< b1\n2< b2\r\n1< x\ty\n2< b3\r\n1< a2\r\n"));

    // The log's entries, marked and joined as the view writes them.
    session.recordings().stopAll();
    session.recordings().waitForFiles();
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QByteArray fromLog;
    for (const QByteArray &line : log.readAll().split('\n')) {
        if (const auto entry = LogReader::entryOfLine(line, ReceiveFormat::Ascii))
            fromLog += QByteArray::number(entry->channel) + "< " + entry->bytes;
    }
    QCOMPARE(ascii, QString::fromLatin1(fromLog));

    // Another format writes the same runs again from the bytes kept.
    window.formatChoice()->setCurrentIndex(window.formatChoice()->findText(QStringLiteral("Hex")));
    QCOMPARE(copiedMonitorText(*window.pane()),
             QStringLiteral("1< 61 31 0D 0A\n2< 62 31 0A\n2< 62 32 0D 0A\n1< 78 09 79 0A\n"
                            "2< 62 33 0D 0A\n1< 61 32 0D 0A\n"));
}

QTEST_MAIN(TestMonitorView)
#include "tst_monitor_view.moc"

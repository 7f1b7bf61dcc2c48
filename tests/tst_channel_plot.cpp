// A channel's plot fed by a real device: every number sent comes back out
// of the CSV export, at ascending times, whatever batches the lines came in
// and with the older points in the plot's file.
#include "core/pane/pane_spill.h"
#include "core/plot/plot_csv.h"
#include "devices/capture_session.h"
#include "devices/channel.h"
#include "support/pty_pair.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestChannelPlot : public QObject
{
    Q_OBJECT

private slots:
    void exportHoldsEveryNumberSent()
    {
        QTemporaryDir folder;
        PaneSpill::setFolder(folder.path());
        PtyPair pty;
        CaptureSession session;
        session.setSignOnDefaults();
        Channel &channel = session.channel(1);
        channel.plot().setOn(true);
        channel.plot().store().setThreshold(1); // every full block goes to the file
        channel.switchOnSerial(pty.slavePath(), QStringLiteral("115200,n,8,1"));
        QVERIFY(channel.isOn());

        constexpr int lineCount = 100'000;
        QList<QByteArray> sent;
        QByteArray text;
        for (int i = 0; i < lineCount; ++i) {
            const QByteArray t =
                QByteArray::number(i % 2000 - 1000) + '.' + QByteArray::number(i % 7);
            const QByteArray p = QByteArray::number(double(i) * 1e-3, 'g', 12);
            sent.append(t + ',' + p);
            text += "T=" + t + "C P=" + p + (i % 3 ? "\r\n" : "\n");
        }
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        for (qsizetype at = 0; at < text.size(); at += 1000)
            pty.write(text.mid(at, 1000)); // lines cut across batches
        QTRY_COMPARE_WITH_TIMEOUT(channel.plot().store().pointCount(), 2 * lineCount, 60000);
        channel.plot().store().finishWrites();
        QVERIFY(channel.plot().store().blocksInFile() > 0);

        const QString path = folder.filePath(QStringLiteral("values.csv"));
        QCOMPARE(PlotCsv::save(channel.plot().store(), path), QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine(), QByteArray("time,T [C],P\n"));
        qint64 before = start;
        for (int i = 0; i < lineCount; ++i) {
            const QByteArray row = file.readLine().trimmed();
            const qsizetype comma = row.indexOf(',');
            const qint64 ms =
                QDateTime::fromString(QString::fromLatin1(row.first(comma)), Qt::ISODateWithMs)
                    .toMSecsSinceEpoch();
            QVERIFY2(ms >= before, row.constData());
            before = ms;
            const QList<QByteArray> got = row.mid(comma + 1).split(',');
            const QList<QByteArray> expected = sent.at(i).split(',');
            QCOMPARE(got.size(), 2);
            QCOMPARE(got.at(0).toDouble(), expected.at(0).toDouble());
            QCOMPARE(got.at(1).toDouble(), expected.at(1).toDouble());
        }
        QVERIFY(file.atEnd());
        QVERIFY(before <= QDateTime::currentMSecsSinceEpoch());
    }
};

QTEST_MAIN(TestChannelPlot)
#include "tst_channel_plot.moc"

#include "core/transfer_protocol.h"

#include <QTest>

class TestTransferProtocol : public QObject
{
    Q_OBJECT

private slots:
    void readsProgressAndLastWords_data();
    void readsProgressAndLastWords();
};

void TestTransferProtocol::readsProgressAndLastWords_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("sz, a line split")
        << QByteArrayList{"Sending: a.bin\nBytes Sent:   4096/ 100000   BPS:80",
                          "00  ETA 00:00  \rBytes Sent: 100000   BPS:7565\r\n\nTransfer complete\n"}
        << qint64(100000) << QStringList{"Sending: a.bin", "Transfer complete"};
    QTest::newRow("rx")
        << QByteArrayList{"rx: ready\nBlocks received: 3\rBytes received:  384   BPS:97\r\n"}
        << qint64(384) << QStringList{"rx: ready"};
    QTest::newRow("the last four words")
        << QByteArrayList{"1\n2\n3\n4\n5\nRetry 0: Got TIMEOUT\rTransfer incomplete\n"} << qint64(0)
        << QStringList{"4", "5", "Retry 0: Got TIMEOUT", "Transfer incomplete"};
}

void TestTransferProtocol::readsProgressAndLastWords()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(qint64, bytes);
    QFETCH(QStringList, words);
    TransferProgressReader reader;
    for (const QByteArray &piece : pieces)
        reader.read(piece);
    QCOMPARE(reader.bytes(), bytes);
    QCOMPARE(reader.lastWords(), words);
}

QTEST_APPLESS_MAIN(TestTransferProtocol)
#include "tst_transfer_protocol.moc"

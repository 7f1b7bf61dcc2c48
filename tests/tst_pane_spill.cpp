// A pane's older text in its private file: read back byte-exact, lines
// indexed across the boundary, the file removed on clear, with the pane and
// after a killed run, and a folder or disk that fails keeping the text in
// memory.
#include "core/pane/pane_spill.h"
#include "core/pane/pane_text.h"
#include "support/byte_checks.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qsizetype kThreshold = 16 * 1024;

// Text with lines of many lengths, CR LF, lone CR and LF, and tabs.
QByteArray linesText(qsizetype size, quint32 seed)
{
    QByteArray text = randomBytes(size, seed);
    for (qsizetype i = 0; i < size; ++i) {
        const uchar byte = uchar(text.at(i));
        if (byte < 200)
            text[i] = char('a' + byte % 26);
        else if (byte < 240)
            text[i] = "\r\n\t \r\n"[byte % 6];
    }
    return text;
}

// The lines of `text`, each without its terminator, split the plain way.
QList<QByteArray> plainLines(const QByteArray &text)
{
    QList<QByteArray> lines{QByteArray()};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
                ++i;
            lines << QByteArray();
        } else {
            lines.last() += c;
        }
    }
    return lines;
}

// The line holding `pos`; the LF of a CR LF belongs to the CR's line.
qsizetype plainLineAt(const QByteArray &text, qsizetype pos)
{
    const bool inCrLf = pos > 0 && text.at(pos - 1) == '\r' && text.at(pos) == '\n';
    return plainLines(text.left(pos)).size() - 1 - (inCrLf ? 1 : 0);
}

QList<QByteArray> paneLines(const PaneText &pane)
{
    QList<QByteArray> lines;
    for (qsizetype i = 0; i < pane.lineCount(); ++i)
        lines << pane.copy(pane.lineStart(i), pane.lineEnd(i) - pane.lineStart(i));
    return lines;
}

QStringList spillFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("varnokterm-pane-*")}, QDir::Files);
}

// Files beyond `bytes` cannot grow while this lives, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

} // namespace

class TestPaneSpill : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void readsBackAcrossTheBoundary_data();
    void readsBackAcrossTheBoundary();
    void writerCatchesUpWhileSourcePaused();
    void clearAndDestructionRemoveTheFile();
    void leftoverOfAKilledRunIsRemoved();
    void normalExitRemovesTheFile();
    void failingFileKeepsTextInMemory_data();
    void failingFileKeepsTextInMemory();

private:
    QTemporaryDir m_folder;
};

void TestPaneSpill::initTestCase()
{
    QVERIFY(m_folder.isValid());
    PaneSpill::setFolder(m_folder.path());
}

void TestPaneSpill::init()
{
    PaneSpill::setFolder(m_folder.path());
    for (const QString &name : spillFiles(m_folder.path()))
        QFile::remove(m_folder.filePath(name));
}

void TestPaneSpill::readsBackAcrossTheBoundary_data()
{
    QTest::addColumn<qsizetype>("piece");
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("1 byte pieces") << qsizetype(1) << qsizetype(40000);
    QTest::newRow("odd pieces") << qsizetype(777) << qsizetype(120000);
    QTest::newRow("pieces past the threshold") << qsizetype(50000) << qsizetype(200000);
}

void TestPaneSpill::readsBackAcrossTheBoundary()
{
    QFETCH(qsizetype, piece);
    QFETCH(qsizetype, size);
    const QByteArray text = linesText(size, quint32(piece));
    PaneText pane;
    pane.setSpillThreshold(kThreshold);
    for (qsizetype pos = 0; pos < size; pos += piece)
        pane.append(QByteArrayView(text).sliced(pos, qMin(piece, size - pos)));
    pane.finishSpilling();

    QVERIFY(pane.spilledSize() > 0);
    QVERIFY(pane.spilledSize() < size);
    const QFileInfo file(pane.spillPath());
    QVERIFY(file.exists());
    QCOMPARE(file.dir(), QDir(m_folder.path()));
    struct stat info = {};
    QCOMPARE(stat(QFile::encodeName(file.filePath()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);

    const QByteArray whole = pane.text();
    QVERIFY2(whole == text, differenceOf(whole, text).constData());
    QCOMPARE(paneLines(pane), plainLines(text));
    for (const qsizetype at : {qsizetype(0), pane.spilledSize() - 5, size / 2, size - 3}) {
        QCOMPARE(pane.copy(at, 4099), text.mid(at, 4099));
        QCOMPARE(pane.at(at), text.at(at));
        QCOMPARE(pane.lineAt(at), plainLineAt(text, at));
    }
    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    QVERIFY(pane.writeTo(saved, 10, size - 20));
    QCOMPARE(saved.data(), text.mid(10, size - 20));
}

void TestPaneSpill::writerCatchesUpWhileSourcePaused()
{
    // A source asked to pause appends nothing more: asking again must still
    // hand the writer the rest, or the source waits for ever.
    PaneText pane;
    pane.setSpillThreshold(kThreshold);
    QSignalSpy failed(&pane, &PaneText::spillFailed);
    const QByteArray burst = linesText(4 << 20, 7);
    pane.append(burst);
    pane.append(burst);
    QDeadlineTimer deadline(30000);
    while (pane.catchUpSpill() && !deadline.hasExpired())
        QTest::qSleep(1);
    QVERIFY(!pane.isSpillBehind());
    QCOMPARE(failed.count(), 0);
    QVERIFY(pane.size() - pane.spilledSize() < kThreshold + (1 << 20));
    QCOMPARE(pane.copy(0, 4096), burst.first(4096));
}

void TestPaneSpill::clearAndDestructionRemoveTheFile()
{
    QString path;
    {
        PaneText pane;
        pane.setSpillThreshold(kThreshold);
        pane.append(linesText(100000, 1));
        pane.finishSpilling(); // the file is made with the first write
        QVERIFY(QFile::exists(pane.spillPath()));
        const QString first = pane.spillPath();
        pane.clear();
        QTRY_VERIFY(!QFile::exists(first)); // removed by the writer's thread
        QCOMPARE(pane.spilledSize(), qsizetype(0));
        QVERIFY(pane.spillPath().isEmpty());

        const QByteArray again = linesText(100000, 2);
        pane.append(again);
        pane.finishSpilling();
        path = pane.spillPath();
        QVERIFY(QFile::exists(path));
        QCOMPARE(pane.text(), again);
    }
    // The window's reload and its end destroy the panes.
    QTRY_VERIFY(!QFile::exists(path));
    QTRY_COMPARE(spillFiles(m_folder.path()), QStringList());
}

void TestPaneSpill::leftoverOfAKilledRunIsRemoved()
{
    PaneText live;
    live.setSpillThreshold(kThreshold);
    live.append(linesText(100000, 3));
    live.finishSpilling();

    const pid_t child = fork();
    if (child == 0) {
        PaneText pane;
        pane.setSpillThreshold(kThreshold);
        pane.append(linesText(100000, 4));
        pane.finishSpilling();
        std::raise(SIGKILL);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(spillFiles(m_folder.path()).size(), 2);
    // Planted beside them: a FIFO under a spill file's name must not hold up
    // the start, and a file of the user's with a like name is not a spill.
    const QString fifo = m_folder.filePath(QStringLiteral("varnokterm-pane-zzzzzz"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile notes(m_folder.filePath(QStringLiteral("varnokterm-pane-notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();

    QCOMPARE(PaneSpill::removeLeftovers(), 1);
    // The running pane keeps its file.
    QStringList kept = spillFiles(m_folder.path());
    kept.sort();
    QStringList expected{QStringLiteral("varnokterm-pane-notes.txt"),
                         QFileInfo(live.spillPath()).fileName()};
    expected.sort();
    QCOMPARE(kept, expected);
    QVERIFY(QFileInfo::exists(fifo));
    QCOMPARE(live.text(), linesText(100000, 3));
}

void TestPaneSpill::normalExitRemovesTheFile()
{
    // A pane still alive when the program ends, its file made on the
    // writer's thread: the exit removes the file.
    const pid_t child = fork();
    if (child == 0) {
        auto *pane = new PaneText; // never destroyed, as at a run's end
        pane->setSpillThreshold(kThreshold);
        pane->append(linesText(100000, 6));
        pane->finishSpilling();
        std::exit(QFile::exists(pane->spillPath()) ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0); // the file was there before the exit
    QCOMPARE(spillFiles(m_folder.path()), QStringList());
}

void TestPaneSpill::failingFileKeepsTextInMemory_data()
{
    // The disk's room for the file (-1: no folder) and the pane's cap.
    QTest::addColumn<qsizetype>("diskRoom");
    QTest::addColumn<qsizetype>("cap");
    const qsizetype twoBlocks = 2 * 4096 + 100; // and a piece of a third
    QTest::newRow("folder cannot be made") << qsizetype(-1) << PaneStore::kDefaultMemoryCap;
    QTest::newRow("disk fills up") << twoBlocks << PaneStore::kDefaultMemoryCap;
    QTest::newRow("disk fills up, past the cap") << twoBlocks << qsizetype(256 << 10);
    QTest::newRow("file held more than the cap") << qsizetype(200 << 10) << qsizetype(64 << 10);
}

void TestPaneSpill::failingFileKeepsTextInMemory()
{
    QFETCH(qsizetype, diskRoom);
    QFETCH(qsizetype, cap);
    const bool diskFills = diskRoom > 0;
    // A folder under a regular file cannot be made, even by root.
    QFile plain(m_folder.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    if (!diskFills)
        PaneSpill::setFolder(plain.fileName() + QStringLiteral("/spill"));
    std::unique_ptr<FileSizeLimit> limit;
    if (diskFills)
        limit = std::make_unique<FileSizeLimit>(rlim_t(diskRoom));

    const QByteArray text = linesText(300000, 5);
    PaneText pane;
    pane.setSpillThreshold(kThreshold);
    pane.setMemoryCap(cap);
    QSignalSpy failed(&pane, &PaneText::spillFailed);
    bool full = false;
    const auto appendAll = [&](const QByteArray &bytes) {
        for (qsizetype pos = 0; pos < bytes.size(); pos += 1000) {
            pane.append(
                QByteArrayView(bytes).sliced(pos, qMin<qsizetype>(1000, bytes.size() - pos)));
            // The writer keeps up now and then, as it does between reads.
            if (pos % 16000 == 0)
                pane.finishSpilling();
            // Once full, a disk takes nothing more, not even in a new file.
            if (limit && !full && !failed.isEmpty()) {
                limit.reset();
                limit = std::make_unique<FileSizeLimit>(0);
                full = true;
            }
        }
        pane.finishSpilling();
    };
    appendAll(text);
    limit.reset();

    QCOMPARE(failed.count(), 1);
    QVERIFY(!failed.at(0).at(0).toString().isEmpty());
    QCOMPARE(pane.spilledSize(), qsizetype(0));
    QTRY_COMPARE(spillFiles(m_folder.path()), QStringList()); // the disk has its space back
    // Up to the cap the text is kept whole; past it the rest is counted.
    QVERIFY(pane.size() <= cap);
    QCOMPARE(pane.notShown() > 0, cap < text.size());
    const qsizetype dropped = text.size() - pane.size() - pane.notShown();
    QCOMPARE(dropped > 0, diskRoom > cap); // the oldest text went
    const QByteArray kept = text.mid(dropped, pane.size());
    QCOMPARE(pane.text(), kept);
    QCOMPARE(paneLines(pane), plainLines(kept));

    // A clear, or a file that can be written again, takes text again.
    PaneSpill::setFolder(m_folder.path());
    if (pane.notShown() > 0) {
        appendAll(text.first(cap / 8)); // turned away: a new file is tried
        const QByteArray later = text.last(1000);
        pane.append(later);
        QVERIFY(pane.spilledSize() > 0);
        QVERIFY(pane.text().endsWith(later));
    }
    pane.clear();
    QCOMPARE(pane.notShown(), qint64(0));
    appendAll(text);
    QCOMPARE(failed.count(), 1);
    QVERIFY(pane.spilledSize() > 0);
    QCOMPARE(pane.text(), text);
}

QTEST_GUILESS_MAIN(TestPaneSpill)
#include "tst_pane_spill.moc"

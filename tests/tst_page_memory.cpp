// Memory handed back page by page: a clear unmaps exactly the mappings it
// was given (never a neighbour that the joining of ranges could reach), and
// a chunk list cut short keeps what it keeps.
#include "core/pane/chunked_list.h"
#include "core/pane/page_memory.h"

#include <QTest>

#include <cerrno>
#include <sys/mman.h>

namespace {

// Whether any page of [start, start + bytes) is still mapped.
bool isMapped(void *start, std::size_t bytes)
{
    return ::msync(start, bytes, MS_ASYNC) == 0 || errno != ENOMEM;
}

} // namespace

class TestPageMemory : public QObject
{
    Q_OBJECT

private slots:
    void unmapsExactlyWhatItWasGiven_data();
    void unmapsExactlyWhatItWasGiven();
    void truncatedListKeepsItsItems();
};

void TestPageMemory::unmapsExactlyWhatItWasGiven_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("a few, at once") << 2;
    QTest::newRow("many, by the unmapping thread") << 40;
}

void TestPageMemory::unmapsExactlyWhatItWasGiven()
{
    QFETCH(int, count);
    constexpr std::size_t kBytes = 16 * 1024;
    // Mapped one after another, so most are neighbours: two given, then one
    // kept, which must survive the joining of the given ones around it.
    std::vector<void *> given;
    std::vector<char *> kept;
    for (int i = 0; i < 3 * count; ++i) {
        char *pages = static_cast<char *>(PageMemory::map(kBytes));
        pages[0] = char(i);
        pages[kBytes - 1] = char(i);
        if (i % 3 == 2)
            kept.push_back(pages);
        else
            given.push_back(pages);
    }
    const std::vector<void *> gone = given;
    PageMemory::unmapAll(std::move(given), kBytes);
    for (void *pages : gone)
        QTRY_VERIFY(!isMapped(pages, kBytes));
    for (std::size_t i = 0; i < kept.size(); ++i) {
        QVERIFY(isMapped(kept[i], kBytes));
        QCOMPARE(kept[i][0], char(3 * i + 2));
        QCOMPARE(kept[i][kBytes - 1], char(3 * i + 2));
    }
    PageMemory::unmapAll(std::vector<void *>(kept.begin(), kept.end()), kBytes);
}

void TestPageMemory::truncatedListKeepsItsItems()
{
    ChunkedList<qint32, 4> list; // 16 items a chunk
    for (int i = 0; i < 100; ++i)
        list.append(i);
    list.truncate(33);
    QCOMPARE(list.size(), 33);
    QCOMPARE(list.capacity(), 48);
    for (int i = 33; i < 70; ++i)
        list.append(1000 + i);
    for (int i = 0; i < 70; ++i)
        QCOMPARE(list[i], i < 33 ? i : 1000 + i);
    // Cut back to a chunk's end, the chunk the next item goes to stays:
    // a line that never ends is cut and grown again on every append.
    list.truncate(32);
    QCOMPARE(list.capacity(), 48);
    list.append(-1);
    QCOMPARE(list.capacity(), 48);
    QCOMPARE(list[31], 31);
    QCOMPARE(list[32], -1);
    ChunkedList<qint32, 4> moved = std::move(list);
    QCOMPARE(list.size(), 0);
    QCOMPARE(moved.last(), -1);
}

QTEST_GUILESS_MAIN(TestPageMemory)
#include "tst_page_memory.moc"

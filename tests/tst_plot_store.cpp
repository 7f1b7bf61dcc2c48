#include "core/pane/pane_spill.h"
#include "core/plot/plot_store.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

class TestPlotStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        PaneSpill::setFolder(m_folder.path());
    }

    // The pyramid's extents of any span of time are those of the points
    // themselves, whether the blocks are in memory or in the file.
    void extentsMatchThePoints_data()
    {
        QTest::addColumn<qsizetype>("threshold");
        QTest::addColumn<qint64>("largestStep");
        QTest::addColumn<bool>("spills");
        QTest::newRow("in memory") << qsizetype(1) << qint64(1) << false;
        QTest::newRow("in the file") << qsizetype(16 << 10) << qint64(3) << true;
        QTest::newRow("times far apart") << qsizetype(16 << 10) << qint64(60) * 86400000 << true;
    }
    void extentsMatchThePoints()
    {
        QFETCH(qsizetype, threshold);
        QFETCH(qint64, largestStep);
        QFETCH(bool, spills);
        PlotStore store(spills ? threshold : PlotStore::kDefaultThreshold, 12);
        QRandomGenerator random(7);
        QList<qint64> times;
        QList<double> values;
        qint64 ms = 1'700'000'000'000;
        const QByteArray name = "T";
        for (int i = 0; i < 20000; ++i) {
            ms += qint64(random.bounded(int(std::min<qint64>(largestStep, 1 << 30)) + 1));
            const double value = i % 97 == 0 ? std::nan("") : random.bounded(1000.0) - 500;
            times.append(ms);
            values.append(value);
            store.add({{name, value, {}}}, ms);
        }
        store.finishWrites();
        QCOMPARE(store.blocksInFile() > 0, spills);
        const PlotSeries &series = store.series(0);
        QCOMPARE(series.size(), values.size());
        for (int query = 0; query < 40; ++query) {
            const qsizetype a = random.bounded(int(times.size()));
            const qsizetype b = random.bounded(int(times.size()));
            const qint64 t0 = times.at(std::min(a, b));
            const qint64 t1 = times.at(std::max(a, b)) + 1;
            const qsizetype columns = 1 + random.bounded(300);
            QList<PlotExtent> got(columns);
            series.extents(t0, t1, columns, got.data());
            qsizetype point = std::lower_bound(times.begin(), times.end(), t0) - times.begin();
            for (qsizetype column = 0; column < columns; ++column) {
                double low = INFINITY;
                double high = -INFINITY;
                qsizetype count = 0;
                const qint64 end =
                    column + 1 == columns
                        ? t1
                        : t0 + qint64(double(t1 - t0) / double(columns) * double(column + 1));
                for (; point < times.size() && times.at(point) < end; ++point, ++count) {
                    low = std::fmin(low, values.at(point));
                    high = std::fmax(high, values.at(point));
                }
                QCOMPARE(got.at(column).count, count);
                if (count > 0 && low <= high) {
                    QCOMPARE(got.at(column).low, low);
                    QCOMPARE(got.at(column).high, high);
                }
            }
        }
        const QString file = store.spillPath();
        store.clear();
        QCOMPARE(store.memoryBytes(), 0);
        QTRY_VERIFY(file.isEmpty() || !QFile::exists(file)); // removed by the writer's thread
    }

    // The 33rd name is counted, not kept; a time set back takes the last.
    void keepsAtMostThirtyTwoSeriesInTimeOrder()
    {
        PlotStore store;
        QList<QByteArray> names;
        for (int i = 0; i < 40; ++i)
            names.append("s" + QByteArray::number(i));
        QList<FoundNumber> numbers;
        for (const QByteArray &name : names)
            numbers.append({name, 1.0, "V"});
        store.add(numbers, 2000);
        store.add(numbers, 1000);
        QCOMPARE(store.seriesCount(), PlotStore::kMostSeries);
        QCOMPARE(store.overflowCount(), 16);
        QCOMPARE(store.overflowNames(), 8);
        QCOMPARE(store.series(31).timeAt(1), 2000);
        QCOMPARE(store.series(0).unit(), QByteArray("V"));
    }

    // Lines ('|' between them) of numbers "name=value" or "name=value/unit":
    // whatever the order and units of the names from line to line, each
    // series holds the values named after it, with the first unit given.
    // A line after '>' is added as one with the names of the line before;
    // "clear" clears the store.
    void eachNumberReachesItsSeries_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("series"); // "name=values/unit" per series
        QTest::newRow("same order") << QByteArray("a=1 b=2|a=3 b=4") << QByteArray("a=1,3/ b=2,4/");
        QTest::newRow("swapped") << QByteArray("a=1 b=2|b=3 a=4") << QByteArray("a=1,4/ b=2,3/");
        QTest::newRow("first dropped") << QByteArray("a=1 b=2|b=3") << QByteArray("a=1/ b=2,3/");
        QTest::newRow("same length, other name")
            << QByteArray("ab=1|ac=2|ab=3") << QByteArray("ab=1,3/ ac=2/");
        QTest::newRow("unit later, at another place")
            << QByteArray("a=1 b=2|b=3/V a=4/mA|a=5/A") << QByteArray("a=1,4,5/mA b=2,3/V");
        QTest::newRow("names as before")
            << QByteArray("a=1 b=2|>a=3 b=4") << QByteArray("a=1,3/ b=2,4/");
        QTest::newRow("names as before, after a clear")
            << QByteArray("a=1 b=2|clear|>a=3 b=4") << QByteArray("a=3/ b=4/");
    }
    void eachNumberReachesItsSeries()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, series);
        PlotStore store;
        for (QByteArray line : lines.split('|')) {
            if (line == "clear") {
                store.clear();
                continue;
            }
            const bool namesAsBefore = line.startsWith('>');
            if (namesAsBefore)
                line.remove(0, 1);
            const QList<QByteArray> words = line.split(' '); // the views' text
            QList<FoundNumber> numbers;
            for (const QByteArrayView word : words) {
                const qsizetype equals = word.indexOf('=');
                const qsizetype slash = word.contains('/') ? word.indexOf('/') : word.size();
                numbers.append({word.first(equals),
                                word.sliced(equals + 1, slash - equals - 1).toDouble(),
                                word.sliced(std::min(slash + 1, word.size()))});
            }
            store.add(numbers, 1000, namesAsBefore);
        }
        QList<QByteArray> held;
        for (int i = 0; i < store.seriesCount(); ++i) {
            QByteArrayList values;
            for (qsizetype point = 0; point < store.series(i).size(); ++point)
                values.append(QByteArray::number(store.series(i).valueAt(point)));
            held.append(store.series(i).name() + '=' + values.join(',') + '/' +
                        store.series(i).unit());
        }
        QCOMPARE(held.join(' '), series);
    }

private:
    QTemporaryDir m_folder;
};

QTEST_GUILESS_MAIN(TestPlotStore)
#include "tst_plot_store.moc"

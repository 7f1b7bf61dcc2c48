#pragma once

#include "core/plot/number_finder.h"
#include "core/plot/plot_store.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

// One channel's plot: while on, the numbers of every line the channel
// receives (NumberFinder) go to its PlotStore, each at its line's time, the
// arrival time of the batch that brought the line's first byte. A line ends
// at CR or LF; a line longer than kLongestLine is read up to there and its
// rest ignored. Off, received bytes are not read at all (and the line under
// way is forgotten), so a channel nobody plots pays nothing.
//
// The receive route hands it each batch (Channel::onReceived); the plot
// view, the CSV export, a headless --record csvN and scripts read it.
class ChannelPlot : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype kLongestLine = 4096;

    explicit ChannelPlot(QObject *parent = nullptr);

    bool isOn() const { return m_on; }
    void setOn(bool on);
    // See NumberFinder::setPattern; patternChanged() follows a change.
    QString setPattern(const QString &pattern);
    QString pattern() const { return m_finder.pattern(); }

    // A received batch and its arrival time (ms since the epoch).
    void receive(QByteArrayView batch, qint64 arrivalMs);

    // How much the view shows: the last `seconds` (following the newest
    // points), or 0 for the whole capture. Kept for the whole run.
    static constexpr int kLongestFollow = 7 * 24 * 3600;
    int followSeconds() const { return m_followSeconds; }
    void setFollowSeconds(int seconds);

    const PlotStore &store() const { return m_store; }
    PlotStore &store() { return m_store; }
    // The latest value of the series `name`; nan when it has none.
    double latest(QByteArrayView name) const;
    // Forgets every point, the header line's names and the line under way.
    void clear();

signals:
    // A batch added points (the view repaints at its own pace).
    void pointsAdded();
    void cleared();
    void onChanged(bool on);
    void patternChanged();
    void followChanged();

private:
    // Inline: it runs for every line.
    Q_ALWAYS_INLINE void readLine(QByteArrayView line, qint64 ms);

    bool m_on = false;
    int m_followSeconds = 60;
    NumberFinder m_finder;
    PlotStore m_store;
    QByteArray m_partial; // the line under way
    qint64 m_partialMs = 0;
    bool m_partialCut = false; // past kLongestLine: the rest is skipped
};

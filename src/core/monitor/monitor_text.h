#pragma once

#include "core/channel_state.h"
#include "core/pane/dump_rows.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <vector>

class PaneText;

// Writes the batches of several channels into one pane, in the order they
// are given, as runs: a run is one channel's bytes up to and including a
// line end (LF, CR LF, or a CR that no LF follows), or up to where another
// channel's bytes come. Each run starts a line with its mark, the channel's
// number and '<' as a timestamped log writes them ("1<", "2<"), so the runs
// read without colour too; each run, its mark included, is drawn in the
// channel's colour (runColor).
//
// The bytes follow the mark in the chosen format: ASCII (a blank, then the
// bytes as they came; a run another channel cut off gets a line break),
// Hex or Decimal (a blank and a number per byte, as a log line writes them;
// each run a line), or Dump (the mark on a line of its own, then the run's
// rows with offsets from the run's start). Terminal is written as ASCII.
//
// Each line takes the arrival time of the batch its first byte came in, so
// the pane's time gutter dates each run.
class MonitorText
{
public:
    explicit MonitorText(PaneText &pane);

    ReceiveFormat format() const { return m_format; }
    // The format of what is written from now on; the owner writes the text
    // again (clear(), then add() every batch) for it to apply to all.
    void setFormat(ReceiveFormat format);
    // Empties the pane; no run is open.
    void clear();
    // Writes a batch; returns the text position of its first byte when the
    // pane took the batch's bytes as they came (ASCII, nothing turned away),
    // so readBack() finds them there, or -1.
    qsizetype add(int channel, QByteArrayView bytes, qint64 wallMs);
    // The size of the text the last add() wrote, whether the pane took it
    // all or not.
    qsizetype written() const { return m_written; }
    // The `size` bytes of a batch that add() wrote from `at` on in ASCII, read
    // back from the pane into `out`: the marks between its runs are left out.
    // Where those are follows from the bytes alone: after an LF, and after a
    // CR that is not the batch's last byte and no LF follows.
    static void readBack(const PaneText &pane, qsizetype at, qsizetype size, QByteArray &out);

    // The palette colour (TerminalStyle::paletteColor) of a channel's runs.
    static int runColor(int channel);

private:
    // An ASCII run's mark: the channel's digit, '<' and a blank.
    static constexpr qsizetype kAsciiMarkSize = 3;

    // Writes a batch's runs into the pane: ASCII, the quick path, in place
    // where it can; the other formats through m_out.
    void addAscii(int channel, QByteArrayView bytes, qint64 wallMs);
    void addFormatted(int channel, QByteArrayView bytes, qint64 wallMs);
    void startRun(int channel);
    void endRun();
    void appendBytes(QByteArrayView bytes);

    PaneText &m_pane;
    ReceiveFormat m_format = ReceiveFormat::Ascii;
    DumpRows m_dump;
    int m_runChannel = 0;      // of the open run; 0: none
    int m_colouredChannel = 0; // whose colour the pane's text ends in
    qsizetype m_runBytes = 0;  // the open run's bytes so far (Dump)
    bool m_endsInCr = false;   // the open run's last byte is a CR
    QByteArray m_out;          // the text of one add(), where not made in place
    qsizetype m_written = 0;   // the size of that text
    // Where lines start in that text in ASCII, so the pane need not search it.
    std::vector<qsizetype> m_lineStarts;
    qsizetype m_firstMark = -1; // where in that text the first mark starts
    qsizetype m_firstAt = -1;   // where in that text the batch's first byte is
};

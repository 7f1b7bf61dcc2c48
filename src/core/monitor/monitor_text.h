#pragma once

#include "core/channel_state.h"
#include "core/pane/dump_rows.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>

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
    void add(int channel, QByteArrayView bytes, qint64 wallMs);

    // The palette colour (TerminalStyle::paletteColor) of a channel's runs.
    static int runColor(int channel);

private:
    void startRun(int channel);
    void endRun();
    void appendBytes(QByteArrayView bytes);

    PaneText &m_pane;
    ReceiveFormat m_format = ReceiveFormat::Ascii;
    DumpRows m_dump;
    int m_runChannel = 0;      // of the open run; 0: none
    int m_colouredChannel = 0; // whose colour the pane's text ends in
    qsizetype m_runBytes = 0;  // the open run's bytes so far
    bool m_endsInCr = false;   // the open run's last byte is a CR
    QByteArray m_out;          // the text of one add()
    QList<qsizetype> m_marks;  // where in m_out each mark starts
};

#pragma once

#include "core/channel_state.h"
#include "core/pane/dump_rows.h"
#include "core/pane/pane_text.h"
#include "core/pane/terminal_screen.h"

#include <QByteArrayView>
#include <QObject>
#include <QTimer>

// One channel's receive path: turns received batches into text in the
// channel's pane, following its display mode, format and accumulate mode,
// all read afresh at every event.
//
// The buffer always means "received and not yet shown": every path appends
// the batch to it, and whatever shows the buffer empties it. So nothing is
// shown twice and nothing collected is dropped by a change of mode.
//
// Local echo (showSent) puts what was sent in the pane in the order of
// events: what waits to be shown goes first. Echo lines start with "> " and
// are marked as echo in the pane; echo and received text never share a
// line (a line break the pane's rule knows is put between them).
//
// In the Terminal format the bytes go to the channel's TerminalScreen: its
// visible screen is the pane's last rows (a view paints it below the pane's
// text), and each line that scrolls off it is appended to the pane with its
// looks (PaneText::styles) and a line break of the pane's rule, so the
// history costs what any pane text costs. Local echo goes to the screen as
// a terminal's would. The screen's answers to status queries come out of
// terminalAnswered(), for the channel to send.
//
// Each batch comes with its arrival time (ms since the epoch; by default the
// clock is read), and the buffer keeps where each batch began in it, so the
// pane dates each line by the batch of its first byte however late it shows.
class ChannelReceiver : public QObject
{
    Q_OBJECT

public:
    ChannelReceiver(const ChannelModes &modes, const ChannelModule &module, PaneText &pane,
                    QObject *parent = nullptr);

    // A batch read from the serial port.
    void receiveSerial(QByteArrayView batch, qint64 arrivalMs = PaneText::kNow);
    // A batch read from the TCP connection (channel 1 only); it shows numbers
    // with their space after them rather than before.
    void receiveSocket(QByteArrayView batch, qint64 arrivalMs = PaneText::kNow);
    // The quiet time-out has passed.
    void tick();
    // The source is gone (closed by a fault): show what still waits, so
    // nothing received is lost.
    void flushPending();
    // The receive Clear command: empties the pane and the buffer. An armed
    // time-out keeps running.
    void clearReceived();
    // Bytes that went out, shown as local echo in the channel's format.
    void showSent(QByteArrayView bytes);

    // Timer1 / Timer2: single-shot, armed by "Time Out" batches.
    QTimer &timer() { return m_timer; }
    // The buffer: received and not yet shown, one char per byte.
    const QByteArray &pending() const { return m_pending; }

    // The Terminal format's screen (blank while another format is chosen).
    TerminalScreen &terminal() { return m_terminal; }
    const TerminalScreen &terminal() const { return m_terminal; }
    // The format is leaving Terminal: what its screen shows moves to the
    // pane's text, and the screen starts blank.
    void keepTerminalScreen();

signals:
    // Each piece of text given to the pane, as given (a text-as-shown
    // recording writes these). Only for direct connections: the view is
    // not valid after the call.
    void shown(QByteArrayView piece);
    // The Terminal format's answer to a status query in what arrived.
    void terminalAnswered(const QByteArray &bytes);

private:
    enum class Source
    {
        Serial,
        Socket
    };
    enum class Layout
    {
        SerialRealTime,
        SerialFlush,
        Socket
    };

    void receive(QByteArrayView batch, Source source, qint64 arrivalMs);
    void showBuffer(Layout layout);
    // Readies the scratch text; returns how many of its leading characters
    // to leave out (a space the pane's end already gives).
    qsizetype startPieces(Layout layout);
    void show(QByteArrayView bytes, Layout layout, qint64 arrivalMs);
    // Hex pieces written in the pane's own memory; false when it has no room.
    bool showHexInPlace(QByteArrayView bytes, bool spaceAfter, qsizetype skipped, qint64 arrivalMs);
    void flushBuffer(Layout layout);
    bool paneAtLineStart() const;
    // Ends the pane's last line if it holds text, as received text.
    void endOpenLine(qint64 arrivalMs);
    void appendShown(QByteArrayView text, bool echo, qint64 arrivalMs);
    // channel_receiver_terminal.cpp
    void feedTerminal(QByteArrayView bytes, qint64 arrivalMs);
    // A line that scrolled off the Terminal format's screen, gathered for
    // the pane with the others of its batch: one append per batch rather
    // than one per line.
    void keepTerminalLine(const TerminalLine &line);
    // The lines gathered, into the pane.
    void showTerminalLines();

    const ChannelModes &m_modes;
    const ChannelModule &m_module;
    QByteArray m_pending;
    PaneText &m_pane;
    QTimer m_timer;
    Source m_lastSource = Source::Serial;
    QByteArray m_scratch;
    DumpRows m_dump;
    qsizetype m_dumpEnd = -1; // the pane's size after the last dump text
    bool m_echoOpen = false;  // the pane's last line is an unfinished echo
    // Where each batch in the buffer begins, and when it arrived.
    struct BatchStart
    {
        qsizetype at;
        qint64 arrivalMs;
    };
    QList<BatchStart> m_batchStarts;
    TerminalScreen m_terminal;
    qint64 m_terminalArrivalMs = PaneText::kNow; // of the batch the screen takes
    QByteArray m_terminalLines;                  // scrolled off, not in the pane yet
};

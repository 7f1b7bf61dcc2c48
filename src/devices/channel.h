#pragma once

#include "core/arrival_clock.h"
#include "core/channel_receiver.h"
#include "core/channel_state.h"
#include "core/pane/line_time_text.h"
#include "core/pane/pane_text.h"
#include "core/sent_lines.h"
#include "core/transfer_protocol.h"
#include "devices/channel_choices.h"
#include "devices/channel_link.h"
#include "devices/channel_plot.h"
#include "devices/replayer.h"
#include "devices/send_buttons.h"

#include <QByteArrayView>
#include <QObject>
#include <QTimer>

// One capture channel: its modes, its module values, its pane text, its
// receive path with the quiet-time timer, its transmit records and its link.
// The program has one per entry of the channel list (core/channel_list.h):
// "Comm Port 1", which may also use TCP, and "Comm Port 2".
//
// The receive route (wired in wireReceiveRoute()):
//     SerialPortComponent (QSerialPort) or SocketComponent over TcpConnection
//       (a TCP client's socket; for RFC 2217 its bytes pass TelnetComPort,
//       which keeps the data and answers the server) --received(batch)-->
//       ChannelLink
//       --received(batch, route)--> Channel::onReceived (reads the arrival
//       clock once, first thing: the batch's time) --> ChannelReceiver
//       (display mode, format, accumulate mode; keeps each buffered batch's
//       time) --> PaneText (text, line index, line times) --appended-->
//       CapturePane, the view (ui/capture_pane.h: paints the visible rows,
//       the times' gutter)
// Recordings listen along the way: batchReceived() (raw bytes and logs),
// the receiver's shown() (text as shown) and bytesSent() (logs); scripts
// listen to batchReceived(). The batch's time travels with it to each of
// them (core/arrival_clock.h), so none reads a clock for a received batch:
// one batch has one time in the pane, a log and a script's match. Sent
// bytes are no received batch: a log times them as it takes them, and
// local echo's lines take the time they are shown.
// With local echo on, bytesSent() also goes to ChannelReceiver::showSent,
// so the pane (and a text-as-shown recording) shows what went out, marked;
// it never reaches batchReceived(), so a raw recording holds only what came in.
// The transmit route:
//     the operator types into TransmitEdit (ui/transmit_edit.h), which hands
//       on key codes --typed--> Channel::type --> TransmitLine (mode, Hex
//       box, records) --> ChannelLink::send --> TransmitQueue (bounded,
//       refuses whole transmissions) --> SerialPortComponent or
//       SocketComponent (through TelnetComPort's escaping for RFC 2217), as
//       chosen at switch-on; what the queue hands the
//       device comes back, a slice of at most 64 KB at a time, as
//       ChannelLink::sent --> sentCount() and bytesSent()
// Repeat (Channel::repeat), a sent file (FileSender, through
// sendUntyped()) and the send buttons (SendButtons, through sendUntyped())
// join the transmit route at ChannelLink::send. A replay (Replayer) joins
// the receive route at onReceived(), or the transmit route at sendUntyped().
// While a file transfer's program runs (FileTransfer), setTransferring(true)
// turns the receive route aside at Channel::onReceived: each batch goes out
// as transferReceived() to the program, never to the pane or the
// recordings, and what the program sends is neither echoed nor logged; the
// counts still include both. Typed and repeated bytes are not sent meanwhile.
// While the link waits to reconnect, the channel stays on: what was received
// stays, nothing is sent, and recordings go on. What still waited to go out
// when the port or connection failed is dropped and no longer counted as
// sent (sentDropped()).
//
// Lifetimes follow the main window: load() sets the modes back to their
// defaults and empties the pane (or keeps its text and times, for a reload
// that must not lose what was captured); unload() closes the link and stops
// the timer. The transmit records, the time-out, the accumulate mode and the
// receive buffer survive both.
class Channel : public QObject
{
    Q_OBJECT

public:
    Channel(int number, bool offersTcp, QObject *parent = nullptr);

    int number() const { return m_number; }
    bool offersTcp() const { return m_link.offersTcp(); }

    // The channel's modes and module values, to read; each changes through
    // its setter below, which says so with modesChanged().
    const ChannelModes &modes() const { return m_modes; }
    const ChannelModule &module() const { return m_module; }
    PaneText &pane() { return m_pane; }
    const PaneText &pane() const { return m_pane; }
    ChannelReceiver &receiver() { return m_receiver; }
    const ChannelReceiver &receiver() const { return m_receiver; }
    // The numbers of the received lines, while plotting is on; emptied with
    // the pane (load(), clearReceived()).
    ChannelPlot &plot() { return m_plot; }
    const ChannelPlot &plot() const { return m_plot; }
    ChannelLink &link() { return m_link; }
    const ChannelLink &link() const { return m_link; }
    // The send buttons, kept for the whole run; their repeats stop when the
    // channel goes off.
    SendButtons &sendButtons() { return m_sendButtons; }
    const SendButtons &sendButtons() const { return m_sendButtons; }
    // Plays a recording back into the pane or out of the channel; stops
    // when the channel goes off or its pane is cleared.
    Replayer &replayer() { return m_replayer; }
    // The lines sent with Enter in line mode, for the transmit line's Up,
    // Down and Ctrl+R; kept for the whole run like the transmit records.
    SentLines &sentLines() { return m_sentLines; }
    const SentLines &sentLines() const { return m_sentLines; }

    enum class PaneOnLoad
    {
        Emptied,
        Kept
    };
    void load(PaneOnLoad pane = PaneOnLoad::Emptied);
    void unload();

    // What the operator chose for the channel: the port text, the IP and
    // Socket fields (a channel that offers the network), and whether it is
    // on. The channel keeps them for the whole run; the window shows them,
    // a setup file and its keys read and write them. `on` follows the link
    // (true while the channel is on, false once it goes off or fails to
    // come on); setChoices() may set it ahead of a switch-on, as a setup
    // does for the channels it names On. Each setter that changes something
    // says so with one choicesChanged().
    const ChannelChoices &choices() const { return m_choices; }
    void setChoices(const ChannelChoices &choices);
    void setPortText(const QString &text);
    void setHost(const QString &host);
    void setSocket(const QString &socket);
    // "speed,parity,data,stop": what a serial port (local, or behind an
    // RFC 2217 server) is switched on with. Kept for the whole run. Set by
    // the session (CaptureSession::setSerialSettings() for every channel,
    // setChannelSettings() for one): `own` marks settings that differ from
    // the ones the channels share, which a setup file then keeps for this
    // channel alone.
    QString serialSettings() const { return m_serialSettings; }
    bool hasOwnSettings() const { return m_ownSettings; }
    void setSerialSettings(const QString &settings, bool own = false);
    // The settings string the serial port was last switched on with, or
    // changed to since (changeSettings()).
    QString switchedOnSettings() const { return m_switchedOnSettings; }

    // Switches on as the choices name: on a channel that offers the network,
    // a network entry of the port list ("TCP", "RFC 2217", "TCP Listen")
    // connects to, or listens at, their host and socket; any other port text
    // is a serial port (a number or a device path) opened with the serial
    // settings, which an RFC 2217 server is sent as well. The one place that
    // decides how a channel switches on: the window's On, a setup, a script
    // and a headless run all come here. The result comes as
    // onChanged()/failed().
    void switchOn();
    // Why switchOn() should not run unless allowed: the choices listen
    // beyond loopback (ChannelChoices::listensBeyondLoopback()), or empty.
    QString listenBeyondLoopbackRefusal() const;
    // Switching to a kind already decided.
    void switchOnSerial(const QString &portText, const QString &settings);
    void switchOnTcp(const QString &host, const QString &portText);
    // A network connection of the kind chosen; an RFC 2217 server is sent
    // the serial settings string.
    void switchOnNetwork(ChannelLink::Network kind, const QString &host, const QString &portText,
                         const QString &settings);
    void switchOff();
    bool isOn() const { return m_link.route() != ChannelLink::Route::None; }
    // Changes the settings of the port in use while it stays open (see
    // ChannelLink::changeSettings), noting the change, or why it was not
    // taken, in the log recordings; linkChanged() follows. What the channel
    // switches on with next stays its chosen settings. Returns the refusal,
    // or an empty text. (channel_settings.cpp)
    QString changeSettings(const QString &settings);

    // How the link behaves: reconnect, control lines, flow control. Kept for
    // the whole run, and applied at once to an open port; the result is why
    // the device refused the flow control (kept as it was), or empty.
    const LinkOptions &linkOptions() const { return m_link.options(); }
    QString setLinkOptions(const LinkOptions &options) { return m_link.setOptions(options); }
    // The link lost its port or connection and waits to open it again; the
    // channel stays on meanwhile and sends nothing.
    bool isWaiting() const { return m_link.isWaiting(); }
    bool sendBreak() { return m_link.sendBreak(); }
    // What the link can do now, for the Link menu; linkChanged() follows
    // every change.
    struct LinkAbilities
    {
        bool tcp = false;          // a raw TCP connection: no control lines, no flow control
        bool linesRefused = false; // the serial device (local or remote) has no control lines
        bool serialOpen = false;   // a serial device is open (Break can be sent)
        QString portName;          // the serial device's name
        bool remote = false;       // the serial device is behind an RFC 2217 server
    };
    LinkAbilities linkAbilities() const;
    // The most bytes that may wait to go out at once.
    qint64 transmitLimit() const;

    // Whether and how the pane shows its lines' arrival times, and whether
    // copies and saved panes carry them. Kept for the whole run (off at
    // first); paneTimesChanged() follows every change.
    const PaneTimeChoice &paneTimes() const { return m_paneTimes; }
    void setPaneTimes(const PaneTimeChoice &choice);

    // Bytes received, and handed to the port or connection, since the
    // channel was last switched on; those the port or connection still held
    // when it failed are not counted.
    qint64 receivedCount() const { return m_receivedCount; }
    qint64 sentCount() const { return m_sentCount; }

    // The receive pane's view choices, kept for the whole run.
    void setLineBreaks(LineBreaks rule);
    void setLocalEcho(bool on);
    // Sets the receive format (the option buttons and the Dump View entry
    // alike) and says so with formatChanged() as well.
    void setFormat(ReceiveFormat format);
    // The other modes (set back at each load()) and module values (kept for
    // the whole run). A value set again changes nothing and says nothing.
    void setDisplayMode(DisplayMode mode);
    void setTransmitMode(TransmitMode mode);
    void setHexEntry(bool on);
    void setTimeOut(qint16 ms);
    void setAccumulate(AccumulateMode mode);
    void setLineEnding(LineEnding ending);
    void setZmodemAutoStart(bool on);
    void setZmodemQuietSeconds(int seconds);
    // While a bridge carries the channel's bytes to another channel, a
    // ZMODEM request in them is for the far side: auto-start is held off,
    // whatever zmodemAutoStart says (which stays as chosen).
    void setAutoStartHeld(bool held) { m_autoStartHeld = held; }
    bool isAutoStartHeld() const { return m_autoStartHeld; }
    // The time-out and accumulate mode the sign-on splash sets once.
    void setSignOnDefaults();

    // The operator's commands.
    void type(QByteArrayView codes);
    void repeat();
    // The bytes a terminal key stands for (the Terminal format's arrows,
    // Tab...): sent as they are, whatever the Hex box, and kept out of the
    // transmit records.
    void sendKey(const QByteArray &bytes);
    void clearTransmit();
    void clearReceived();
    // Bytes that were not typed (a file's): counted and reported as sent
    // like typed ones, kept out of the transmit records. False (nothing
    // sent) when the channel is off, waits to reconnect, or its link's queue
    // refuses them.
    bool sendUntyped(const Transmission &bytes);
    // Hands what arrives to a file transfer's program instead of the
    // receive path (see the route map above).
    void setTransferring(bool on) { m_transferring = on; }
    bool isTransferring() const { return m_transferring; }
    // Bytes of a recording played back (Replayer), taken as received: counted
    // and recorded, shown by the pane, matched by scripts, whether the
    // channel is on or not; a ZMODEM request in them is not one.
    void receiveReplayed(const QByteArray &bytes);

signals:
    // The link opened (true) or closed (false), for whatever reason.
    void onChanged(bool on);
    // The choices or the serial settings changed.
    void choicesChanged();
    // A switch-on failed, or a working link failed; the channel is off.
    void failed(const QString &text, const QString &detail);
    // Typed or repeated bytes were not sent: `count` more would have waited
    // to go out than the link's queue takes.
    void transmitRefused(qint64 count);
    // Every batch received, before it goes to the receive path, with the
    // time it arrived: the time its lines have in the pane.
    void batchReceived(const QByteArray &batch, const ArrivalTime &arrival);
    // Every batch received while transferring, instead of batchReceived().
    void transferReceived(const QByteArray &batch);
    // With zmodemAutoStart on, a ZMODEM sender asked to start (its request
    // has reached the pane as well); never for bytes played back.
    void zmodemRequested();
    // Bytes handed to the port or connection (typed, Repeat, or a file's),
    // in order, as the device takes them: a long resend comes in slices of
    // at most 64 KB, each from its own event, so a log of sent bytes never
    // takes a whole resend at once.
    void bytesSent(QByteArrayView bytes);
    // Bytes taken for sending were dropped with a failed port or connection:
    // `queued` had not reached it yet (never in bytesSent()), `held` had
    // (reported by bytesSent()) but never went out. Comes before the
    // failure's linkNoted() or failed().
    void sentDropped(qint64 queued, qint64 held);
    // Words about the link for a log: lost and waited for, reconnected.
    void linkNoted(const QString &note);
    // Words about the serial port behind an RFC 2217 connection, once each:
    // the server refused the option, or the control lines. Also in linkNoted().
    void remoteNoted(const QString &note);
    // The link options, its route, its control lines or its waiting changed.
    void linkChanged();
    // setFormat chose a format.
    void formatChanged();
    // A setter changed a mode or a module value.
    void modesChanged();
    // setPaneTimes() changed the choice.
    void paneTimesChanged();

private:
    void wireReceiveRoute();
    void onReceived(const QByteArray &batch, ChannelLink::Route from);
    void onLost(const QString &text, const QString &detail);
    // A peer faster than the pane's spill file: its connection is not read
    // until the file's writer catches up, so no append waits for the disk.
    void pauseWhileSpillBehind(ChannelLink::Route from);
    void resumeOnceSpillCaughtUp();
    void send(const TransmissionList &transmissions);
    // Keeps the choices' `on` to what the link is.
    void followLink();
    // Sets `field` and says so, if `value` differs.
    template <typename Value> void change(Value &field, Value value);

    const int m_number;
    ChannelModes m_modes;
    ChannelModule m_module;
    PaneText m_pane;
    ChannelReceiver m_receiver;
    ChannelPlot m_plot;
    ChannelLink m_link;
    SendButtons m_sendButtons{*this};
    Replayer m_replayer{*this};
    SentLines m_sentLines;
    ChannelChoices m_choices;
    QString m_serialSettings;
    bool m_ownSettings = false;
    QString m_switchedOnSettings;
    PaneTimeChoice m_paneTimes;
    qint64 m_receivedCount = 0;
    qint64 m_sentCount = 0;
    bool m_transferring = false;
    bool m_autoStartHeld = false;
    ZmodemHeaderSpotter m_zmodemSpotter;
    bool m_replaying = false; // onReceived() has bytes played back, never a request
    QTimer m_spillCatchUp;
};

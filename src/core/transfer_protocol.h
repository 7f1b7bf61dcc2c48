#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// The ways File > Send File and Receive File move a file, and the lrzsz
// program that speaks each one. Raw sends the file's bytes as they are and
// needs no program; the others run one of lrzsz's programs with its
// standard input and output joined to the channel.
enum class TransferProtocol
{
    Raw,
    Xmodem,
    Xmodem1k,
    Ymodem,
    Zmodem
};

// Every protocol, in the order the dialogs list them.
QList<TransferProtocol> transferProtocols();
// "Raw", "XMODEM", "XMODEM-1K", "YMODEM", "ZMODEM".
QString transferProtocolName(TransferProtocol protocol);
// Whether the receiver is told the file's name (YMODEM, ZMODEM): otherwise a
// received file must be named by the operator.
bool transferCarriesName(TransferProtocol protocol);

// A program to run: its name (looked up on PATH by the caller, which may also
// try the names in `otherNames`) and its arguments.
struct TransferCommand
{
    QString program;
    QStringList otherNames; // Debian's older names for the same program
    QStringList arguments;
};

// The command that sends `path`, and the one that receives into its working
// folder (`fileName` names an XMODEM file; the other protocols bring theirs).
// Both report progress on standard error; a receiver never overwrites a file.
TransferCommand sendCommand(TransferProtocol protocol, const QString &path);
TransferCommand receiveCommand(TransferProtocol protocol, const QString &fileName);

// The cancel sequence every one of these protocols obeys: eight CAN then
// eight backspaces (which wipe the CANs from a terminal that shows them).
QByteArray transferCancelSequence();

// Reads what an lrzsz program writes on standard error: its progress lines
// ("Bytes Sent: 4096/ 100000 ...", "Bytes received: ...") and its last
// words, which say why a transfer failed. Lines end at CR or LF and may come
// split across reads; a line that never ends is bounded.
class TransferProgressReader
{
public:
    void read(QByteArrayView bytes);
    // The file bytes the program last said it had moved; 0 until it says.
    qint64 bytes() const { return m_bytes; }
    // Its last few non-empty lines, oldest first, without progress lines.
    QStringList lastWords() const { return m_words; }

private:
    void takeLine(QByteArrayView line);

    QByteArray m_partial;
    qint64 m_bytes = 0;
    QStringList m_words;
};

// Spots one ZMODEM hex header ("**", CAN, "B" and its two-digit frame type)
// in a stream of bytes, also when it comes split across batches: by default
// a sender's request to start (ZRQINIT, "B00"); zmodemFinish() is the end
// of a session (ZFIN, "B08"), which a receiver writes once every file is in.
class ZmodemHeaderSpotter
{
public:
    static constexpr char requestType[] = "00";
    static constexpr char finishType[] = "08";
    explicit ZmodemHeaderSpotter(const char (&frameType)[3] = requestType);

    // True when the header ends in `batch`.
    bool spot(QByteArrayView batch);

private:
    char m_header[6];
    qsizetype m_matched = 0;
};

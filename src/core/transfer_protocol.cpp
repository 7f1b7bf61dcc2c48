#include "core/transfer_protocol.h"

#include <QRegularExpression>

namespace {

constexpr char cancelByte = 0x18; // CAN
constexpr char backspace = 0x08;
constexpr qsizetype longestLine = 4096;
constexpr qsizetype wordsKept = 4;
constexpr int zmodemWindow = 64 * 1024;

// Progress at its verbosity: lrzsz writes "Bytes Sent" lines from -vv on,
// rz its "Bytes received" lines from -vvv on.
const QString progressOption = QStringLiteral("-vv");
const QString receivedProgressOption = QStringLiteral("-vvv");

} // namespace

QList<TransferProtocol> transferProtocols()
{
    return {TransferProtocol::Raw, TransferProtocol::Xmodem, TransferProtocol::Xmodem1k,
            TransferProtocol::Ymodem, TransferProtocol::Zmodem};
}

QString transferProtocolName(TransferProtocol protocol)
{
    switch (protocol) {
    case TransferProtocol::Raw:
        return QStringLiteral("Raw");
    case TransferProtocol::Xmodem:
        return QStringLiteral("XMODEM");
    case TransferProtocol::Xmodem1k:
        return QStringLiteral("XMODEM-1K");
    case TransferProtocol::Ymodem:
        return QStringLiteral("YMODEM");
    case TransferProtocol::Zmodem:
        return QStringLiteral("ZMODEM");
    }
    return {};
}

bool transferCarriesName(TransferProtocol protocol)
{
    return protocol == TransferProtocol::Ymodem || protocol == TransferProtocol::Zmodem;
}

TransferCommand sendCommand(TransferProtocol protocol, const QString &path)
{
    // "--": a file name starting with "-" is still a file.
    switch (protocol) {
    case TransferProtocol::Raw:
        break;
    case TransferProtocol::Xmodem:
        return {QStringLiteral("sx"),
                {QStringLiteral("lsx")},
                {progressOption, QStringLiteral("--"), path}};
    case TransferProtocol::Xmodem1k:
        return {QStringLiteral("sx"),
                {QStringLiteral("lsx")},
                {progressOption, QStringLiteral("-k"), QStringLiteral("--"), path}};
    case TransferProtocol::Ymodem:
        return {QStringLiteral("sb"),
                {QStringLiteral("lsb")},
                {progressOption, QStringLiteral("--"), path}};
    case TransferProtocol::Zmodem:
        // A window: the program waits for the receiver's acknowledgement
        // every so many bytes, so it never runs far ahead of a slow line
        // (its progress then counts what the receiver has, and the bytes
        // waiting here stay few).
        return {QStringLiteral("sz"),
                {QStringLiteral("lsz")},
                {progressOption, QStringLiteral("-w"), QString::number(zmodemWindow),
                 QStringLiteral("--"), path}};
    }
    return {};
}

TransferCommand receiveCommand(TransferProtocol protocol, const QString &fileName)
{
    // No -y anywhere: an existing file is never replaced by the program.
    switch (protocol) {
    case TransferProtocol::Raw:
        break;
    case TransferProtocol::Xmodem:
    case TransferProtocol::Xmodem1k: // the receiver takes either block size
        return {QStringLiteral("rx"),
                {QStringLiteral("lrx")},
                {progressOption, QStringLiteral("-c"), QStringLiteral("--"), fileName}};
    case TransferProtocol::Ymodem:
        return {QStringLiteral("rb"), {QStringLiteral("lrb")}, {progressOption}};
    case TransferProtocol::Zmodem:
        return {QStringLiteral("rz"), {QStringLiteral("lrz")}, {receivedProgressOption}};
    }
    return {};
}

QByteArray transferCancelSequence()
{
    return QByteArray(8, cancelByte) + QByteArray(8, backspace);
}

void TransferProgressReader::read(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            takeLine(m_partial);
            m_partial.clear();
        } else if (m_partial.size() < longestLine) {
            m_partial.append(c);
        }
    }
}

void TransferProgressReader::takeLine(QByteArrayView line)
{
    static const QRegularExpression progress(
        QStringLiteral(R"(^\s*Bytes (?:Sent|received):\s*(\d+))"));
    const QString text = QString::fromLocal8Bit(line).trimmed();
    if (text.isEmpty())
        return;
    const QRegularExpressionMatch match = progress.match(text);
    if (match.hasMatch()) {
        m_bytes = match.captured(1).toLongLong();
        return;
    }
    if (text.startsWith(QLatin1String("Ymodem sectors/kbytes")) ||
        text.startsWith(QLatin1String("Blocks received")))
        return; // progress in other units
    m_words.append(text);
    if (m_words.size() > wordsKept)
        m_words.removeFirst();
}

ZmodemHeaderSpotter::ZmodemHeaderSpotter(const char (&frameType)[3])
    : m_header{'*', '*', cancelByte, 'B', frameType[0], frameType[1]}
{}

bool ZmodemHeaderSpotter::spot(QByteArrayView batch)
{
    constexpr qsizetype length = sizeof m_header;
    bool found = false;
    for (const char c : batch) {
        if (c == m_header[m_matched]) {
            ++m_matched;
        } else if (c == '*') {
            // "***" still ends in the header's "**"; any other '*' starts it.
            m_matched = m_matched == 2 ? 2 : 1;
        } else {
            m_matched = 0;
        }
        if (m_matched == length) {
            found = true;
            m_matched = 0;
        }
    }
    return found;
}

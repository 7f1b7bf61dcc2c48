// What a channel and an lrzsz program say, read piece by piece: the input's
// first byte chooses where it is split. The ZMODEM request is spotted in
// exactly the pieces where an occurrence in the joined bytes ends, and so is
// the end of a session; the last words are at most four, never empty, never
// a progress line.
#include "core/transfer_protocol.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstdint>

namespace {

// The pieces `bytes` is cut into: a cut after every byte whose value, mixed
// with the seed, is a multiple of 3 (a fresh rule, not the reader's own).
QList<QByteArrayView> piecesOf(QByteArrayView bytes, uint8_t seed)
{
    QList<QByteArrayView> pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if ((uint8_t(bytes[i]) ^ seed) % 3 == 0) {
            pieces << bytes.sliced(start, i + 1 - start);
            start = i + 1;
        }
    }
    pieces << bytes.sliced(start);
    return pieces;
}

// How many pieces an occurrence of the request ends in, found by a plain
// search of the joined bytes (the request can't overlap itself).
int piecesEndingAHeader(QByteArrayView text, const QList<QByteArrayView> &pieces,
                        const char (&frameType)[3])
{
    const QByteArray joined = text.toByteArray();
    const QByteArray request = QByteArray("**\x18"
                                          "B") +
                               frameType;
    QList<qsizetype> ends;
    for (qsizetype at = joined.indexOf(request); at >= 0;
         at = joined.indexOf(request, at + request.size()))
        ends << at + request.size();
    int count = 0;
    qsizetype pieceEnd = 0;
    for (const QByteArrayView piece : pieces) {
        const qsizetype pieceStart = pieceEnd;
        pieceEnd += piece.size();
        if (std::any_of(ends.cbegin(), ends.cend(),
                        [&](qsizetype end) { return end > pieceStart && end <= pieceEnd; }))
            ++count;
    }
    return count;
}

// "Bytes Sent:" or "Bytes received:", blanks, then a digit.
bool isProgressLine(const QString &line)
{
    for (const QLatin1String head :
         {QLatin1String("Bytes Sent:"), QLatin1String("Bytes received:")}) {
        if (!line.startsWith(head))
            continue;
        qsizetype i = head.size();
        while (i < line.size() && line.at(i).isSpace())
            ++i;
        if (i < line.size() && line.at(i).isDigit() && line.at(i).unicode() < 128)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    g_input = QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
    if (size == 0)
        return 0;
    const QByteArrayView text = g_input.sliced(1);
    const QList<QByteArrayView> pieces = piecesOf(text, data[0]);

    for (const auto *frameType :
         {&ZmodemHeaderSpotter::requestType, &ZmodemHeaderSpotter::finishType}) {
        ZmodemHeaderSpotter spotter(*frameType);
        int spotted = 0;
        for (const QByteArrayView piece : pieces)
            spotted += spotter.spot(piece) ? 1 : 0;
        check(spotted == piecesEndingAHeader(text, pieces, *frameType),
              "a header spotted where a plain search does not find it, or missed");
    }

    TransferProgressReader reader;
    for (const QByteArrayView piece : pieces)
        reader.read(piece);
    const QStringList words = reader.lastWords();
    check(words.size() <= 4, "kept more than four lines");
    for (const QString &word : words) {
        check(!word.isEmpty() && word == word.trimmed(), "kept an empty or untrimmed line");
        check(!isProgressLine(word), "kept a progress line");
    }
    check(reader.bytes() >= 0, "negative progress");
    return 0;
}

#include "core/hex_entry.h"

#include "core/byte_text.h"

namespace HexEntry {

bool isHexDigit(char c)
{
    return ByteText::hexDigitValue(c) >= 0;
}

QByteArray bytesOfRun(QByteArrayView run)
{
    QByteArray bytes;
    bytes.reserve((run.size() + 1) / 2);
    qsizetype i = 0;
    for (; i + 1 < run.size(); i += 2)
        bytes.append(
            char(ByteText::hexDigitValue(run[i]) * 16 + ByteText::hexDigitValue(run[i + 1])));
    if (i < run.size())
        bytes.append(char(ByteText::hexDigitValue(run[i])));
    return bytes;
}

QByteArray bytesOfText(QByteArrayView text)
{
    QByteArray bytes;
    qsizetype runStart = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool digit = i < text.size() && isHexDigit(text[i]);
        if (digit && runStart < 0)
            runStart = i;
        else if (!digit && runStart >= 0) {
            bytes += bytesOfRun(text.sliced(runStart, i - runStart));
            runStart = -1;
        }
    }
    return bytes;
}

QByteArrayView trailingRun(QByteArrayView text)
{
    qsizetype start = text.size();
    while (start > 0 && isHexDigit(text[start - 1]))
        --start;
    return text.sliced(start);
}

} // namespace HexEntry

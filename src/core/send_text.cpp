#include "core/send_text.h"

#include "core/byte_text.h"

#include <QCoreApplication>

namespace {

int sendTextDigitOf(QChar c)
{
    return c.unicode() < 0x80 ? ByteText::hexDigitValue(char(c.unicode())) : -1;
}

// The texts' translation context, declared where lupdate reads it.
struct SendTextText
{
    Q_DECLARE_TR_FUNCTIONS(SendText)
};

SendText::Reading sendTextFailure(qsizetype index, const QString &what)
{
    return {{}, SendTextText::tr("Position %1: %2").arg(index + 1).arg(what)};
}

} // namespace

SendText::Reading SendText::ofEscapes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\') {
            if (c.unicode() > 0xFF)
                return sendTextFailure(
                    i, SendTextText::tr("\"%1\" is not a single byte; write it as \\xHH").arg(c));
            bytes.append(char(c.unicode()));
            continue;
        }
        if (i + 1 == text.size())
            return sendTextFailure(
                i, SendTextText::tr("a lone \\ at the end; write \\\\ for a backslash"));
        const QChar kind = text[i + 1];
        switch (kind.unicode()) {
        case u'r':
            bytes.append('\r');
            break;
        case u'n':
            bytes.append('\n');
            break;
        case u't':
            bytes.append('\t');
            break;
        case u'\\':
            bytes.append('\\');
            break;
        case u'x': {
            const int high = i + 2 < text.size() ? sendTextDigitOf(text[i + 2]) : -1;
            const int low = i + 3 < text.size() ? sendTextDigitOf(text[i + 3]) : -1;
            if (high < 0 || low < 0)
                return sendTextFailure(
                    i, SendTextText::tr("\\x needs exactly two hex digits (\\x0D)"));
            bytes.append(char(high * 16 + low));
            i += 2;
            break;
        }
        default:
            return sendTextFailure(
                i,
                SendTextText::tr("\\%1 is not an escape; use \\r \\n \\t \\\\ or \\xHH").arg(kind));
        }
        ++i;
    }
    return {bytes, {}};
}

SendText::Reading SendText::ofHexPairs(QStringView text)
{
    QByteArray bytes;
    int high = -1;
    qsizetype highAt = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const int digit = sendTextDigitOf(c);
        if (digit < 0) {
            if (!c.isSpace())
                return sendTextFailure(i, SendTextText::tr("\"%1\" is not a hex digit").arg(c));
            if (high >= 0)
                return sendTextFailure(
                    highAt, SendTextText::tr("a lone hex digit; write bytes as pairs (0D)"));
            continue;
        }
        if (high < 0) {
            high = digit;
            highAt = i;
        } else {
            bytes.append(char(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0)
        return sendTextFailure(highAt,
                               SendTextText::tr("a lone hex digit; write bytes as pairs (0D)"));
    return {bytes, {}};
}

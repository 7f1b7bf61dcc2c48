#include "core/shown_text.h"

namespace {

// Format characters that change how the text around them reads: marks,
// embeddings, overrides and isolates of bidirectional text, and the line
// and paragraph separators.
bool reordersText(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

QString hexDigits(char16_t c, int width)
{
    return QString::number(uint(c), 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

} // namespace

QString shownText(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        switch (c) {
        case u'\n':
            shown += QLatin1String("\\n");
            continue;
        case u'\r':
            shown += QLatin1String("\\r");
            continue;
        case u'\t':
            shown += QLatin1String("\\t");
            continue;
        default:
            break;
        }
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            shown += QLatin1String("\\x") + hexDigits(c, 2);
        else if (reordersText(c))
            shown += QLatin1String("\\u") + hexDigits(c, 4);
        else
            shown += ch;
    }
    return shown;
}

#include "core/setup_text.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <optional>

namespace {

// The texts' translation context, declared where lupdate reads it.
struct SetupTextText
{
    Q_DECLARE_TR_FUNCTIONS(SetupText)
};

// A bad line as the operator would find it in an editor: quoted, cut short.
QString shown(QByteArrayView line)
{
    constexpr qsizetype shownAtMost = 60;
    QString text = QString::fromUtf8(line.first(std::min(line.size(), shownAtMost)));
    if (line.size() > shownAtMost)
        text += QChar(0x2026);
    return text;
}

bool isBinary(QByteArrayView line)
{
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\r') || byte == 0x7f)
            return true;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(line); // decoding happens on conversion
    Q_UNUSED(decoded);
    return utf8.hasError();
}

// A line whose last backslash escapes nothing: the INI reader would join the
// next line to it.
bool joinsTheNextLine(QByteArrayView line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    qsizetype backslashes = 0;
    while (backslashes < line.size() && line[line.size() - 1 - backslashes] == '\\')
        ++backslashes;
    return backslashes % 2 == 1;
}

// The first escape in a "key=value" line's value that is not \t, \\ or \".
std::optional<QString> unknownEscapeIn(QByteArrayView value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\')
            continue;
        if (i + 1 == value.size()) // "a\ " once trimmed
            return QStringLiteral("\\");
        const char next = value[++i];
        if (next == 't' || next == '\\' || next == '"')
            continue;
        qsizetype length = 1; // the whole character after the backslash
        while (i + length < value.size() && (value[i + length] & 0xc0) == 0x80)
            ++length;
        return QLatin1Char('\\') + QString::fromUtf8(value.sliced(i, length));
    }
    return std::nullopt;
}

} // namespace

namespace SetupText {

Check check(QByteArrayView text)
{
    Check result;
    if (text.size() > largestFile) {
        result.problem = SetupTextText::tr("It is larger than %1 kB, too large for a setup file.")
                             .arg(largestFile / 1024);
        return result;
    }
    qsizetype start = 0;
    QString section;
    for (int number = 1; start < text.size(); ++number) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArrayView line = text.sliced(start, end - start);
        start = end + 1;
        const QByteArrayView trimmed = line.trimmed();
        if (line.size() > longestLine)
            result.problem = SetupTextText::tr("Line %1 is longer than %2 characters.")
                                 .arg(number)
                                 .arg(longestLine);
        else if (isBinary(line))
            result.problem =
                SetupTextText::tr("Line %1 holds bytes that are not text.").arg(number);
        else if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#'))
            continue;
        else if (trimmed.startsWith('[') && trimmed.endsWith(']') && trimmed.size() > 2) {
            section = QString::fromUtf8(trimmed.sliced(1, trimmed.size() - 2));
            if (!result.sections.contains(section))
                result.sections << section;
            continue;
        } else if (trimmed.indexOf('=') <= 0)
            result.problem = SetupTextText::tr("Line %1 is not a \"key=value\" line: %2")
                                 .arg(number)
                                 .arg(shown(trimmed));
        else if (joinsTheNextLine(line))
            result.problem =
                SetupTextText::tr(
                    "Line %1 ends in a backslash, which would join the next line to it.")
                    .arg(number);
        else {
            const qsizetype equals = trimmed.indexOf('=');
            if (const std::optional<QString> escape = unknownEscapeIn(trimmed.sliced(equals + 1))) {
                const QString key = QString::fromUtf8(trimmed.first(equals).trimmed());
                result.unknownEscapes.append(
                    {section.isEmpty() ? key : section + QLatin1Char('/') + key, *escape});
            }
            continue;
        }
        return result;
    }
    return result;
}

} // namespace SetupText

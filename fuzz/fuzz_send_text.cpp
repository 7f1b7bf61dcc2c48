// Send-button text: whatever is typed, it either reads or names a position
// inside the text; escaped text that reads is what LogEntryText writes back
// and reads again the same; hex pairs give a byte per two digits; and a
// button's setup line gives back the button it was written from.
#include "core/log/log_entry_text.h"
#include "core/send_button.h"
#include "core/send_text.h"
#include "fuzz_check.h"

#include <QRegularExpression>

#include <cstdint>

namespace {

qsizetype hexDigitCount(const QString &text)
{
    qsizetype count = 0;
    for (const QChar c : text)
        count += QStringView(u"0123456789abcdefABCDEF").contains(c) ? 1 : 0;
    return count;
}

void checkPosition(const SendText::Reading &reading, const QString &text)
{
    static const QRegularExpression position(QStringLiteral("^Position (\\d+): "));
    const QRegularExpressionMatch match = position.match(reading.error);
    check(match.hasMatch(), "an error that names no position");
    const int at = match.captured(1).toInt();
    check(at >= 1 && at <= text.size(), "an error position outside the text");
    check(reading.bytes.isEmpty(), "bytes with an error");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    g_input = QByteArrayView(data, qsizetype(size));
    const QByteArrayView rest = g_input.sliced(1);
    const bool hexPairs = data[0] & 1;
    const QString text = data[0] & 2 ? QString::fromUtf8(rest) : QString::fromLatin1(rest);

    const SendText::Reading reading = SendText::of(text, hexPairs);
    if (!reading.ok()) {
        checkPosition(reading, text);
    } else if (hexPairs) {
        check(reading.bytes.size() * 2 == hexDigitCount(text), "not a byte per pair of digits");
        QString digits = text;
        digits.remove(QRegularExpression(QStringLiteral("\\s")));
        check(reading.bytes.toHex() == digits.toLatin1().toLower(), "pairs read wrongly");
    } else {
        if (!text.contains(QLatin1Char('\\')))
            check(reading.bytes == text.toLatin1(), "plain text is not its own bytes");
        QByteArray escaped;
        LogEntryText::appendEscaped(escaped, reading.bytes);
        const SendText::Reading again = SendText::ofEscapes(QString::fromLatin1(escaped));
        check(again.ok() && again.bytes == reading.bytes, "written escapes do not read back");
    }

    const SendButton button{QStringLiteral("F1"), text, hexPairs, 0};
    const std::optional<SendButton> fromLine = SendButton::fromSetupText(button.toSetupText());
    check(fromLine.has_value() == (reading.ok() && !text.contains(QLatin1Char('\n')) &&
                                   !text.contains(QLatin1Char('\r'))),
          "a setup line read when its text does not, or the other way");
    if (fromLine)
        check(*fromLine == button, "a setup line gives another button");
    return 0;
}

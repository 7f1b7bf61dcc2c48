// The serial settings string: any text gives settings or a readable reason.
#include "devices/line_settings.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what, const QString &text)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s: \"%s\"\n", what, text.toUtf8().constData());
    std::abort();
}

QString parityLetter(QSerialPort::Parity parity)
{
    switch (parity) {
    case QSerialPort::NoParity:
        return QStringLiteral("N");
    case QSerialPort::EvenParity:
        return QStringLiteral("E");
    case QSerialPort::OddParity:
        return QStringLiteral("O");
    case QSerialPort::MarkParity:
        return QStringLiteral("M");
    case QSerialPort::SpaceParity:
        return QStringLiteral("S");
    }
    return QStringLiteral("?");
}

QString stopText(QSerialPort::StopBits bits)
{
    switch (bits) {
    case QSerialPort::OneStop:
        return QStringLiteral("1");
    case QSerialPort::OneAndHalfStop:
        return QStringLiteral("1.5");
    case QSerialPort::TwoStop:
        return QStringLiteral("2");
    }
    return QStringLiteral("?");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const LineSettingsParse parsed = parseLineSettings(text);
    check(parsed.ok == parsed.error.isEmpty(), "ok and reason disagree", text);
    if (!parsed.ok)
        return 0;

    // Accepted: four fields, each valid, and the speed is the first field.
    const QStringList fields = text.split(u',');
    check(fields.size() == 4, "accepted without four fields", text);
    const LineSettings &s = parsed.settings;
    check(s.baudRate > 0, "speed not positive", text);
    check(fields.at(0).trimmed() ==
              QString::number(s.baudRate).rightJustified(fields.at(0).trimmed().size(), u'0'),
          "speed is not the first field", text);
    check(s.dataBits >= QSerialPort::Data5 && s.dataBits <= QSerialPort::Data8, "data bits", text);
    check(s.stopBits == QSerialPort::OneStop || s.stopBits == QSerialPort::OneAndHalfStop ||
              s.stopBits == QSerialPort::TwoStop,
          "stop bits", text);

    // The settings written out plainly read back the same.
    const QString plain = QStringLiteral("%1,%2,%3,%4")
                              .arg(s.baudRate)
                              .arg(parityLetter(s.parity))
                              .arg(int(s.dataBits))
                              .arg(stopText(s.stopBits));
    const LineSettingsParse again = parseLineSettings(plain);
    check(again.ok && again.settings.baudRate == s.baudRate && again.settings.parity == s.parity &&
              again.settings.dataBits == s.dataBits && again.settings.stopBits == s.stopBits,
          "settings don't read back", text);
    return 0;
}

#include "devices/line_settings.h"

#include <QCoreApplication>
#include <QStringList>

#include <limits>

namespace {

bool isAllDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

QString parseSpeed(const QString &field, qint32 *rate)
{
    if (field.isEmpty())
        return QCoreApplication::translate("LineSettings", "the speed is missing");
    if (!isAllDigits(field))
        return QCoreApplication::translate("LineSettings",
                                           "the speed \"%1\" is not a positive whole number")
            .arg(field);
    bool ok = false;
    const qulonglong value = field.toULongLong(&ok);
    if (!ok || value > qulonglong(std::numeric_limits<qint32>::max()))
        return QCoreApplication::translate("LineSettings", "the speed \"%1\" is too large")
            .arg(field);
    if (value == 0)
        return QCoreApplication::translate("LineSettings",
                                           "the speed \"%1\" is not a positive whole number")
            .arg(field);
    *rate = qint32(value);
    return {};
}

QString parseParity(const QString &field, QSerialPort::Parity *parity)
{
    const QString reason =
        QCoreApplication::translate("LineSettings",
                                    "the parity \"%1\" is not one of N, O, E, M, S, + or -")
            .arg(field);
    if (field.size() != 1)
        return field.isEmpty()
                   ? QCoreApplication::translate("LineSettings", "the parity is missing")
                   : reason;
    switch (field.at(0).toUpper().unicode()) {
    case u'N':
        *parity = QSerialPort::NoParity;
        return {};
    case u'O':
        *parity = QSerialPort::OddParity;
        return {};
    case u'E':
        *parity = QSerialPort::EvenParity;
        return {};
    case u'M':
    case u'+':
        *parity = QSerialPort::MarkParity;
        return {};
    case u'S':
    case u'-':
        *parity = QSerialPort::SpaceParity;
        return {};
    default:
        return reason;
    }
}

QString parseDataBits(const QString &field, QSerialPort::DataBits *bits)
{
    if (field.isEmpty())
        return QCoreApplication::translate("LineSettings", "the data bits are missing");
    if (field == u"5")
        *bits = QSerialPort::Data5;
    else if (field == u"6")
        *bits = QSerialPort::Data6;
    else if (field == u"7")
        *bits = QSerialPort::Data7;
    else if (field == u"8")
        *bits = QSerialPort::Data8;
    else
        return QCoreApplication::translate("LineSettings",
                                           "the data bits \"%1\" are not 5, 6, 7 or 8")
            .arg(field);
    return {};
}

QString parseStopBits(const QString &field, QSerialPort::StopBits *bits)
{
    if (field.isEmpty())
        return QCoreApplication::translate("LineSettings", "the stop bits are missing");
    if (field == u"1")
        *bits = QSerialPort::OneStop;
    else if (field == u"1.5")
        *bits = QSerialPort::OneAndHalfStop;
    else if (field == u"2")
        *bits = QSerialPort::TwoStop;
    else
        return QCoreApplication::translate("LineSettings",
                                           "the stop bits \"%1\" are not 1, 1.5 or 2")
            .arg(field);
    return {};
}

} // namespace

LineSettingsParse parseLineSettings(const QString &text)
{
    LineSettingsParse result;
    if (text.trimmed().isEmpty()) {
        result.error = QCoreApplication::translate(
            "LineSettings",
            "the settings are empty: expected speed,parity,data,stop such as 9600,N,8,1");
        return result;
    }

    QStringList fields = text.split(u',');
    if (fields.size() != 4) {
        result.error = QCoreApplication::translate(
                           "LineSettings", "the settings \"%1\" have %2 fields instead of four: "
                                           "expected speed,parity,data,stop such as 9600,N,8,1")
                           .arg(text, QString::number(fields.size()));
        return result;
    }
    for (QString &field : fields)
        field = field.trimmed();

    LineSettings settings;
    QString reason = parseSpeed(fields.at(0), &settings.baudRate);
    if (reason.isEmpty())
        reason = parseParity(fields.at(1), &settings.parity);
    if (reason.isEmpty())
        reason = parseDataBits(fields.at(2), &settings.dataBits);
    if (reason.isEmpty())
        reason = parseStopBits(fields.at(3), &settings.stopBits);

    if (!reason.isEmpty()) {
        result.error = reason;
        return result;
    }
    result.ok = true;
    result.settings = settings;
    return result;
}

QString lineSettingsFieldsRefusal(const QString &speed, const QString &parity, const QString &data,
                                  const QString &stop)
{
    // A comma inside a field would shift the fields after it.
    const std::pair<const char *, const QString &> fields[] = {
        {QT_TRANSLATE_NOOP("LineSettings", "speed"), speed},
        {QT_TRANSLATE_NOOP("LineSettings", "parity"), parity},
        {QT_TRANSLATE_NOOP("LineSettings", "data bits"), data},
        {QT_TRANSLATE_NOOP("LineSettings", "stop bits"), stop}};
    for (const auto &[name, value] : fields) {
        if (value.contains(u','))
            return QCoreApplication::translate("LineSettings",
                                               "the %1 \"%2\" can't contain a comma")
                .arg(QCoreApplication::translate("LineSettings", name), value);
    }
    const LineSettingsParse parsed =
        parseLineSettings(QStringList{speed, parity, data, stop}.join(QLatin1Char(',')));
    return parsed.ok ? QString() : parsed.error;
}

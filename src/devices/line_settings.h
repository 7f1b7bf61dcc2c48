#pragma once

#include <QSerialPort>
#include <QString>

// The serial settings string "speed,parity,data,stop", e.g. "9600,n,8,1".
struct LineSettings
{
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

struct LineSettingsParse
{
    bool ok = false;
    LineSettings settings;
    QString error; // a readable reason when !ok
};

// speed: any positive whole number; parity: N, O, E, M, S in either case,
// "+" for mark, "-" for space; data: 5 to 8; stop: 1, 1.5 or 2.
LineSettingsParse parseLineSettings(const QString &text);

// The four fields as the operator typed them, checked before they are joined
// into a settings string: the reason the first bad field can't be used
// (naming the field), or an empty text when they form a valid string.
QString lineSettingsFieldsRefusal(const QString &speed, const QString &parity, const QString &data,
                                  const QString &stop);

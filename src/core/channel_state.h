#pragma once

#include "core/keywords.h"

#include <QByteArray>
#include <QString>

// A channel's values fall into two lifetimes, so they live in two records.
//
// ChannelModes belongs to the main window object: it survives the window's
// reload, which sets the three modes back to their defaults but keeps the
// transmit records.
struct ChannelModes
{
    QString strDisp;       // display mode: "Real Time", "Time Out", "Char"
    QString strTrans;      // transmit mode: "Real Time", "After CR"
    QString strFormat;     // receive format: "ASCII", "Hex", "Decimal"
    QByteArray strSend;    // every character typed since the last Clear
    QByteArray strSendHex; // every byte made from typed hex pairs since the last Clear

    // What each load of the main window sets; the records are left alone.
    void setLoadDefaults()
    {
        strFormat = Keyword::Ascii;
        strDisp = Keyword::RealTime;
        strTrans = Keyword::RealTime;
    }
};

// ChannelModule lives for the whole run. Channel 1's serial port and its TCP
// connection feed the same record.
struct ChannelModule
{
    qint16 intTimeOut = 0; // quiet time in ms before a "Time Out" flush
    QString strAddTo;      // "Add On" or "Clear First"
    QByteArray strBuffer;  // received and not yet shown, one char per byte
};

// The program-wide values: both channels' module records and the shared
// serial settings string.
struct ModuleValues
{
    QString strSettings;
    ChannelModule channel1;
    ChannelModule channel2;

    // Set once by the sign-on splash before the main window first shows.
    void setSignOnDefaults()
    {
        strSettings = QStringLiteral("9600,n,8,1");
        channel1.intTimeOut = 200;
        channel2.intTimeOut = 200;
        channel1.strAddTo = Keyword::AddOn;
        channel2.strAddTo = Keyword::AddOn;
    }
};

#pragma once

#include <QLatin1String>
#include <QString>

// The mode keywords, stored and compared as whole, case-sensitive texts.
namespace Keyword {
inline constexpr QLatin1String RealTime("Real Time");
inline constexpr QLatin1String TimeOut("Time Out");
inline constexpr QLatin1String Char("Char");        // the "After CR" display option
inline constexpr QLatin1String AfterCr("After CR"); // the "After CR" transmit option
inline constexpr QLatin1String Ascii("ASCII");
inline constexpr QLatin1String Hex("Hex");
inline constexpr QLatin1String Decimal("Decimal");
inline constexpr QLatin1String AddOn("Add On");
inline constexpr QLatin1String ClearFirst("Clear First");
} // namespace Keyword

// How the readers decide. Each tests one or two keywords in a fixed order and
// takes every other value as the remaining choice.
enum class DisplayMode
{
    RealTime,
    TimeOut,
    AfterCr
};
enum class ReceiveFormat
{
    Ascii,
    Decimal,
    Hex
};

inline DisplayMode displayModeOf(const QString &strDisp)
{
    if (strDisp == Keyword::RealTime)
        return DisplayMode::RealTime;
    if (strDisp == Keyword::TimeOut)
        return DisplayMode::TimeOut;
    return DisplayMode::AfterCr;
}

inline ReceiveFormat receiveFormatOf(const QString &strFormat)
{
    if (strFormat == Keyword::Ascii)
        return ReceiveFormat::Ascii;
    if (strFormat == Keyword::Decimal)
        return ReceiveFormat::Decimal;
    return ReceiveFormat::Hex;
}

inline bool keepsPaneText(const QString &strAddTo)
{
    return strAddTo == Keyword::AddOn;
}

inline bool sendsEachKey(const QString &strTrans)
{
    return strTrans == Keyword::RealTime;
}

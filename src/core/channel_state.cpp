#include "core/channel_state.h"

QLatin1String keywordOf(DisplayMode mode)
{
    switch (mode) {
    case DisplayMode::RealTime:
        return QLatin1String("Real Time");
    case DisplayMode::TimeOut:
        return QLatin1String("Time Out");
    case DisplayMode::AfterCr:
        return QLatin1String("Char"); // the "After CR" display option
    }
    return {};
}

QLatin1String keywordOf(ReceiveFormat format)
{
    switch (format) {
    case ReceiveFormat::Ascii:
        return QLatin1String("ASCII");
    case ReceiveFormat::Decimal:
        return QLatin1String("Decimal");
    case ReceiveFormat::Hex:
        return QLatin1String("Hex");
    case ReceiveFormat::Dump:
        return QLatin1String("Dump");
    case ReceiveFormat::Terminal:
        return QLatin1String("Terminal");
    }
    return {};
}

QLatin1String keywordOf(TransmitMode mode)
{
    return mode == TransmitMode::RealTime ? QLatin1String("Real Time") : QLatin1String("After CR");
}

QLatin1String keywordOf(AccumulateMode mode)
{
    return mode == AccumulateMode::AddOn ? QLatin1String("Add On") : QLatin1String("Clear First");
}

QLatin1String keywordOf(LineEnding ending)
{
    switch (ending) {
    case LineEnding::Cr:
        return QLatin1String("CR");
    case LineEnding::Lf:
        return QLatin1String("LF");
    case LineEnding::CrLf:
        return QLatin1String("CR LF");
    case LineEnding::None:
        return QLatin1String("None");
    }
    return {};
}

QByteArrayView bytesOf(LineEnding ending)
{
    switch (ending) {
    case LineEnding::Cr:
        return "\r";
    case LineEnding::Lf:
        return "\n";
    case LineEnding::CrLf:
        return "\r\n";
    case LineEnding::None:
        break;
    }
    return {};
}

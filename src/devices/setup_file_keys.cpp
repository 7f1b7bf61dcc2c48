// The keys of a setup file, each channel's section's and the session's: what
// each writes from the program and how it applies a value read.
#include "devices/setup_file.h"

#include "core/channel_state.h"
#include "core/pane/line_time_text.h"
#include "core/send_button.h"
#include "core/setup_text.h"
#include "core/time_out_entry.h"
#include "devices/capture_session.h"
#include "devices/channel_link.h"
#include "devices/line_settings.h"
#include "devices/link_options.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace {

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

std::optional<bool> boolOf(const QString &text)
{
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

QLatin1String keywordOf(FlowControl flow)
{
    switch (flow) {
    case FlowControl::RtsCts:
        return QLatin1String("RTS/CTS");
    case FlowControl::XonXoff:
        return QLatin1String("XON/XOFF");
    case FlowControl::None:
        break;
    }
    return QLatin1String("None");
}

// A mode by its own word, in any case; `aliases` are other words that name
// one of the values.
template <typename Mode>
std::optional<Mode> modeOf(const QString &text, std::initializer_list<Mode> values,
                           std::initializer_list<std::pair<const char *, Mode>> aliases = {})
{
    for (const Mode value : values) {
        if (text.compare(keywordOf(value), Qt::CaseInsensitive) == 0)
            return value;
    }
    for (const auto &[word, value] : aliases) {
        if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

// Sets `target` from `text` when it reads; false when it doesn't.
template <typename T> bool applied(const std::optional<T> &value, T &target)
{
    if (value)
        target = *value;
    return value.has_value();
}

// Hands `value` to the channel's setter when it reads; false when it doesn't.
template <typename T, typename Argument>
bool appliedBy(const std::optional<T> &value, Channel &channel, void (Channel::*setter)(Argument))
{
    if (value)
        (channel.*setter)(*value);
    return value.has_value();
}

std::optional<int> wholeNumberOf(const QString &text, int lowest, int highest)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

bool isOneLine(const QString &text)
{
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

// Sets one of the channel's link options from `text` when it reads. The
// channels are off while a setup applies, so nothing is refused by a device.
template <typename T>
bool appliedToLink(Channel &channel, const std::optional<T> &value, T LinkOptions::*option)
{
    if (!value)
        return false;
    LinkOptions options = channel.linkOptions();
    options.*option = *value;
    return channel.setLinkOptions(options).isEmpty();
}

using Key = SetupFile::ChannelKey;

// The keys of each channel's section, in the order they are written. To
// keep another value, add its entry here: the file and its checks follow.
const QList<Key> channelKeyTable = {
    {"On", false, [](const Channel &c) { return boolText(c.choices().on); },
     [](Channel &c, const QString &t) {
         const std::optional<bool> on = boolOf(t);
         if (on) {
             ChannelChoices choices = c.choices();
             choices.on = *on;
             c.setChoices(choices);
         }
         return on.has_value();
     }},
    {"Port", false, [](const Channel &c) { return c.choices().port; },
     [](Channel &c, const QString &t) {
         if (t.trimmed().isEmpty() || !isOneLine(t) ||
             (!c.offersTcp() && ChannelLink::networkOfEntry(t)))
             return false;
         c.setPortText(t);
         return true;
     }},
    {"Host", true, [](const Channel &c) { return c.choices().host; },
     [](Channel &c, const QString &t) {
         if (!isOneLine(t))
             return false;
         c.setHost(t);
         return true;
     }},
    {"Socket", true, [](const Channel &c) { return c.choices().socket; },
     [](Channel &c, const QString &t) {
         if (!wholeNumberOf(t, 1, 65535))
             return false;
         c.setSocket(t.trimmed());
         return true;
     }},
    {"Format", false, [](const Channel &c) { return QString(keywordOf(c.modes().format)); },
     [](Channel &c, const QString &t) {
         return appliedBy(
             modeOf(t, {ReceiveFormat::Ascii, ReceiveFormat::Decimal, ReceiveFormat::Hex,
                        ReceiveFormat::Dump, ReceiveFormat::Terminal}),
             c, &Channel::setFormat);
     }},
    {"Display", false, [](const Channel &c) { return QString(keywordOf(c.modes().display)); },
     [](Channel &c, const QString &t) {
         return appliedBy(
             modeOf(t, {DisplayMode::RealTime, DisplayMode::TimeOut, DisplayMode::AfterCr},
                    {{"After CR", DisplayMode::AfterCr}}),
             c, &Channel::setDisplayMode);
     }},
    {"Transmit", false, [](const Channel &c) { return QString(keywordOf(c.modes().transmit)); },
     [](Channel &c, const QString &t) {
         return appliedBy(modeOf(t, {TransmitMode::RealTime, TransmitMode::AfterCr}), c,
                          &Channel::setTransmitMode);
     }},
    {"Hex", false, [](const Channel &c) { return boolText(c.modes().hexEntry); },
     [](Channel &c, const QString &t) {
         return appliedBy(boolOf(t), c, &Channel::setHexEntry);
     }},
    {"TimeOut", false, [](const Channel &c) { return QString::number(c.module().intTimeOut); },
     [](Channel &c, const QString &t) {
         const std::optional<int> ms =
             wholeNumberOf(t, TimeOutEntry::minimum, TimeOutEntry::maximum);
         if (ms)
             c.setTimeOut(qint16(*ms));
         return ms.has_value();
     }},
    {"Accumulate", false, [](const Channel &c) { return QString(keywordOf(c.module().addTo)); },
     [](Channel &c, const QString &t) {
         return appliedBy(modeOf(t, {AccumulateMode::AddOn, AccumulateMode::ClearFirst}), c,
                          &Channel::setAccumulate);
     }},
    {"LineEnding", false,
     [](const Channel &c) { return QString(keywordOf(c.module().lineEnding)); },
     [](Channel &c, const QString &t) {
         return appliedBy(
             modeOf(t, {LineEnding::Cr, LineEnding::Lf, LineEnding::CrLf, LineEnding::None}), c,
             &Channel::setLineEnding);
     }},
    {"NewLineOn", false, [](const Channel &c) { return QString(keywordOf(c.module().lineBreaks)); },
     [](Channel &c, const QString &t) {
         return appliedBy(
             modeOf(t, {LineBreaks::Any, LineBreaks::CrLf, LineBreaks::Lf, LineBreaks::Cr}), c,
             &Channel::setLineBreaks);
     }},
    {"LocalEcho", false, [](const Channel &c) { return boolText(c.module().localEcho); },
     [](Channel &c, const QString &t) {
         return appliedBy(boolOf(t), c, &Channel::setLocalEcho);
     }},
    {"ZmodemAutoStart", false,
     [](const Channel &c) { return boolText(c.module().zmodemAutoStart); },
     [](Channel &c, const QString &t) {
         return appliedBy(boolOf(t), c, &Channel::setZmodemAutoStart);
     }},
    {"ZmodemQuietSeconds", false,
     [](const Channel &c) { return QString::number(c.module().zmodemQuietSeconds); },
     [](Channel &c, const QString &t) {
         return appliedBy(wholeNumberOf(t, 0, 24 * 60 * 60), c, &Channel::setZmodemQuietSeconds);
     }},
    {"Reconnect", false, [](const Channel &c) { return boolText(c.linkOptions().reconnect); },
     [](Channel &c, const QString &t) {
         return appliedToLink(c, boolOf(t), &LinkOptions::reconnect);
     }},
    {"DTR", false, [](const Channel &c) { return boolText(c.linkOptions().dtr); },
     [](Channel &c, const QString &t) {
         return appliedToLink(c, boolOf(t), &LinkOptions::dtr);
     }},
    {"RTS", false, [](const Channel &c) { return boolText(c.linkOptions().rts); },
     [](Channel &c, const QString &t) {
         return appliedToLink(c, boolOf(t), &LinkOptions::rts);
     }},
    {"FlowControl", false,
     [](const Channel &c) { return QString(keywordOf(c.linkOptions().flow)); },
     [](Channel &c, const QString &t) {
         return appliedToLink(
             c, modeOf(t, {FlowControl::None, FlowControl::RtsCts, FlowControl::XonXoff}),
             &LinkOptions::flow);
     }},
    {"Times", false, [](const Channel &c) { return QString(keywordOf(c.paneTimes().form)); },
     [](Channel &c, const QString &t) {
         PaneTimeChoice choice = c.paneTimes();
         const bool ok = applied(modeOf(t, {LineTimeForm::Off, LineTimeForm::WallClock,
                                            LineTimeForm::SinceFirst, LineTimeForm::SincePrevious}),
                                 choice.form);
         c.setPaneTimes(choice);
         return ok;
     }},
    {"TimesInCopies", false, [](const Channel &c) { return boolText(c.paneTimes().inCopies); },
     [](Channel &c, const QString &t) {
         PaneTimeChoice choice = c.paneTimes();
         const bool ok = applied(boolOf(t), choice.inCopies);
         c.setPaneTimes(choice);
         return ok;
     }},
    {"Plot", false, [](const Channel &c) { return boolText(c.plot().isOn()); },
     [](Channel &c, const QString &t) {
         const std::optional<bool> on = boolOf(t);
         if (on)
             c.plot().setOn(*on);
         return on.has_value();
     }},
    {"PlotPattern", false, [](const Channel &c) { return c.plot().pattern(); },
     [](Channel &c, const QString &t) {
         return isOneLine(t) && c.plot().setPattern(t).isEmpty();
     }},
    {"PlotFollowSeconds", false,
     [](const Channel &c) { return QString::number(c.plot().followSeconds()); },
     [](Channel &c, const QString &t) {
         const std::optional<int> seconds = wholeNumberOf(t, 0, ChannelPlot::kLongestFollow);
         if (seconds)
             c.plot().setFollowSeconds(*seconds);
         return seconds.has_value();
     }},
};

// "Button1" to "Button12" follow: one send button each
// (SendButton::toSetupText()).
template <int index> Key sendButtonKey()
{
    static const QByteArray name = "Button" + QByteArray::number(index + 1);
    return {name.constData(), false,
            [](const Channel &c) { return c.sendButtons().button(index).toSetupText(); },
            [](Channel &c, const QString &t) {
                const std::optional<SendButton> button = SendButton::fromSetupText(t);
                return button && c.sendButtons().define(index, *button).isEmpty();
            }};
}

template <std::size_t... index> QList<Key> sendButtonKeys(std::index_sequence<index...>)
{
    return {sendButtonKey<int(index)>()...};
}

const QList<Key> allChannelKeys =
    channelKeyTable + sendButtonKeys(std::make_index_sequence<SendButton::perChannel>());

const QList<SetupFile::SessionKey> sessionKeyTable = {
    {"Settings", [](const CaptureSession &s) { return s.serialSettings(); },
     [](CaptureSession &s, const QString &t) {
         if (!parseLineSettings(t).ok)
             return false;
         s.setSerialSettings(t.trimmed());
         return true;
     }},
    // "1<>2", "1>2", "2>1" or Off: which channels a bridge links, and which way.
    // Saved only while a bridge is chosen.
    {"Bridge",
     [](const CaptureSession &s) {
         const BridgeChoice choice = s.bridge().choice();
         return choice.isOn() ? choice.text() : QString();
     },
     [](CaptureSession &s, const QString &t) {
         const std::optional<BridgeChoice> choice = BridgeChoice::fromText(t, s.channelCount());
         if (!choice)
             return false;
         s.setBridge(*choice);
         return true;
     }},
};

// [ChannelN] Settings: the channel's own serial settings.
const QList<SetupFile::ChannelOverrideKey> channelOverrideKeyTable = {
    {"Settings",
     [](const CaptureSession &, const Channel &c) {
         return c.hasOwnSettings() ? std::optional<QString>(c.serialSettings()) : std::nullopt;
     },
     [](CaptureSession &s, const Channel &c, const QString &t) {
         if (!parseLineSettings(t).ok)
             return false;
         s.setChannelSettings(c.number(), t.trimmed());
         return true;
     }},
};

} // namespace

namespace SetupFile {

const QList<ChannelKey> &channelKeys()
{
    return allChannelKeys;
}

const QList<SessionKey> &sessionKeys()
{
    return sessionKeyTable;
}

const QList<ChannelOverrideKey> &channelOverrideKeys()
{
    return channelOverrideKeyTable;
}

} // namespace SetupFile

#include "devices/setup_file.h"

#include "core/channel_state.h"
#include "core/line_time_text.h"
#include "core/send_button.h"
#include "core/setup_text.h"
#include "core/time_out_entry.h"
#include "devices/capture_session.h"
#include "devices/channel_link.h"
#include "devices/line_settings.h"
#include "devices/link_options.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

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
    {"On", false, [](const Channel &, const ChannelChoices &ch) { return boolText(ch.on); },
     [](Channel &, ChannelChoices &ch, const QString &t) {
         return applied(boolOf(t), ch.on);
     }},
    {"Port", false, [](const Channel &, const ChannelChoices &ch) { return ch.port; },
     [](Channel &c, ChannelChoices &ch, const QString &t) {
         if (t.trimmed().isEmpty() || !isOneLine(t) ||
             (!c.offersTcp() && ChannelLink::networkOfEntry(t)))
             return false;
         ch.port = t;
         return true;
     }},
    {"Host", true, [](const Channel &, const ChannelChoices &ch) { return ch.host; },
     [](Channel &, ChannelChoices &ch, const QString &t) {
         if (!isOneLine(t))
             return false;
         ch.host = t;
         return true;
     }},
    {"Socket", true, [](const Channel &, const ChannelChoices &ch) { return ch.socket; },
     [](Channel &, ChannelChoices &ch, const QString &t) {
         if (!wholeNumberOf(t, 1, 65535))
             return false;
         ch.socket = t.trimmed();
         return true;
     }},
    {"Format", false,
     [](const Channel &c, const ChannelChoices &) { return QString(keywordOf(c.modes().format)); },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return applied(modeOf(t, {ReceiveFormat::Ascii, ReceiveFormat::Decimal, ReceiveFormat::Hex,
                                   ReceiveFormat::Dump}),
                        c.modes().format);
     }},
    {"Display", false,
     [](const Channel &c, const ChannelChoices &) { return QString(keywordOf(c.modes().display)); },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return applied(modeOf(t,
                               {DisplayMode::RealTime, DisplayMode::TimeOut, DisplayMode::AfterCr},
                               {{"After CR", DisplayMode::AfterCr}}),
                        c.modes().display);
     }},
    {"Transmit", false,
     [](const Channel &c, const ChannelChoices &) {
         return QString(keywordOf(c.modes().transmit));
     },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return applied(modeOf(t, {TransmitMode::RealTime, TransmitMode::AfterCr}),
                        c.modes().transmit);
     }},
    {"Hex", false,
     [](const Channel &c, const ChannelChoices &) { return boolText(c.modes().hexEntry); },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return applied(boolOf(t), c.modes().hexEntry);
     }},
    {"TimeOut", false,
     [](const Channel &c, const ChannelChoices &) {
         return QString::number(c.module().intTimeOut);
     },
     [](Channel &c, ChannelChoices &, const QString &t) {
         const std::optional<int> ms =
             wholeNumberOf(t, TimeOutEntry::minimum, TimeOutEntry::maximum);
         if (ms)
             c.module().intTimeOut = qint16(*ms);
         return ms.has_value();
     }},
    {"Accumulate", false,
     [](const Channel &c, const ChannelChoices &) { return QString(keywordOf(c.module().addTo)); },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return applied(modeOf(t, {AccumulateMode::AddOn, AccumulateMode::ClearFirst}),
                        c.module().addTo);
     }},
    {"LineEnding", false,
     [](const Channel &c, const ChannelChoices &) {
         return QString(keywordOf(c.module().lineEnding));
     },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return applied(
             modeOf(t, {LineEnding::Cr, LineEnding::Lf, LineEnding::CrLf, LineEnding::None}),
             c.module().lineEnding);
     }},
    {"NewLineOn", false,
     [](const Channel &c, const ChannelChoices &) {
         return QString(keywordOf(c.module().lineBreaks));
     },
     [](Channel &c, ChannelChoices &, const QString &t) {
         LineBreaks rule = c.module().lineBreaks;
         const bool ok = applied(
             modeOf(t, {LineBreaks::Any, LineBreaks::CrLf, LineBreaks::Lf, LineBreaks::Cr}), rule);
         if (ok)
             c.setLineBreaks(rule);
         return ok;
     }},
    {"LocalEcho", false,
     [](const Channel &c, const ChannelChoices &) { return boolText(c.module().localEcho); },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return applied(boolOf(t), c.module().localEcho);
     }},
    {"ZmodemAutoStart", false,
     [](const Channel &c, const ChannelChoices &) { return boolText(c.module().zmodemAutoStart); },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return applied(boolOf(t), c.module().zmodemAutoStart);
     }},
    {"Reconnect", false,
     [](const Channel &c, const ChannelChoices &) { return boolText(c.linkOptions().reconnect); },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return appliedToLink(c, boolOf(t), &LinkOptions::reconnect);
     }},
    {"DTR", false,
     [](const Channel &c, const ChannelChoices &) { return boolText(c.linkOptions().dtr); },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return appliedToLink(c, boolOf(t), &LinkOptions::dtr);
     }},
    {"RTS", false,
     [](const Channel &c, const ChannelChoices &) { return boolText(c.linkOptions().rts); },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return appliedToLink(c, boolOf(t), &LinkOptions::rts);
     }},
    {"FlowControl", false,
     [](const Channel &c, const ChannelChoices &) {
         return QString(keywordOf(c.linkOptions().flow));
     },
     [](Channel &c, ChannelChoices &, const QString &t) {
         return appliedToLink(
             c, modeOf(t, {FlowControl::None, FlowControl::RtsCts, FlowControl::XonXoff}),
             &LinkOptions::flow);
     }},
    {"Times", false,
     [](const Channel &c, const ChannelChoices &) {
         return QString(keywordOf(c.paneTimes().form));
     },
     [](Channel &c, ChannelChoices &, const QString &t) {
         PaneTimeChoice choice = c.paneTimes();
         const bool ok = applied(modeOf(t, {LineTimeForm::Off, LineTimeForm::WallClock,
                                            LineTimeForm::SinceFirst, LineTimeForm::SincePrevious}),
                                 choice.form);
         c.setPaneTimes(choice);
         return ok;
     }},
    {"TimesInCopies", false,
     [](const Channel &c, const ChannelChoices &) { return boolText(c.paneTimes().inCopies); },
     [](Channel &c, ChannelChoices &, const QString &t) {
         PaneTimeChoice choice = c.paneTimes();
         const bool ok = applied(boolOf(t), choice.inCopies);
         c.setPaneTimes(choice);
         return ok;
     }},
};

// "Button1" to "Button12" follow: one send button each
// (SendButton::toSetupText()).
template <int index> Key sendButtonKey()
{
    static const QByteArray name = "Button" + QByteArray::number(index + 1);
    return {name.constData(), false,
            [](const Channel &c, const ChannelChoices &) {
                return c.sendButtons().button(index).toSetupText();
            },
            [](Channel &c, ChannelChoices &, const QString &t) {
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
};

const QString serialSection = QStringLiteral("Serial");

QString channelSection(int number)
{
    return QStringLiteral("Channel%1").arg(number);
}

// A stored value as text. An unquoted value with commas reads as a list;
// anything else that isn't text is of the wrong type.
std::optional<QString> textOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return std::nullopt;
}

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

bool save(const QString &path, const CaptureSession &session, const ChannelChoiceList &choices,
          QString *error)
{
    QSettings file(path, QSettings::IniFormat);
    file.clear();
    file.beginGroup(serialSection);
    for (const SessionKey &key : sessionKeyTable)
        file.setValue(QLatin1String(key.name), key.current(session));
    file.endGroup();
    for (const Channel *channel : session.channels()) {
        const int n = channel->number();
        file.beginGroup(channelSection(n));
        for (const ChannelKey &key : allChannelKeys) {
            if (!key.tcpOnly || channel->offersTcp())
                file.setValue(QLatin1String(key.name), key.current(*channel, choices.at(n - 1)));
        }
        file.endGroup();
    }
    file.sync();
    if (file.status() == QSettings::NoError)
        return true;
    if (error)
        *error = QObject::tr("The file can't be written there.");
    return false;
}

Contents read(const QString &path)
{
    Contents contents;
    contents.path = path;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        contents.error = info.exists() ? QObject::tr("The file can't be read.")
                                       : QObject::tr("There is no such file.");
        return contents;
    }
    // Read no further than a setup can be: a huge file is refused unread.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = file.errorString();
        return contents;
    }
    const SetupText::Check check = SetupText::check(file.read(SetupText::largestFile + 1));
    if (!check.problem.isEmpty()) {
        contents.error = QObject::tr("It is not a setup file. %1").arg(check.problem);
        return contents;
    }
    QStringList known{serialSection};
    for (const ChannelListEntry &entry : channelList)
        known << channelSection(entry.number);
    const bool any = std::any_of(check.sections.cbegin(), check.sections.cend(),
                                 [&known](const QString &s) { return known.contains(s); });
    if (!any)
        contents.error =
            QObject::tr("It is not a setup file: it has none of the sections %1.")
                .arg(QLatin1Char('[') + known.join(QLatin1String("], [")) + QLatin1Char(']'));
    return contents;
}

Reading open(const QString &path, CaptureSession &session, ChannelChoiceList &choices)
{
    return apply(read(path), session, choices);
}

Reading apply(const Contents &contents, CaptureSession &session, ChannelChoiceList &choices)
{
    Reading reading;
    if (!contents.error.isEmpty()) {
        reading.error = contents.error;
        return reading;
    }
    QSettings file(contents.path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        reading.error = QObject::tr("It is not a setup file.");
        return reading;
    }
    const auto refuse = [&reading](const QString &key, const QString &text) {
        reading.refused << QStringLiteral("%1 = %2").arg(key, text);
    };
    for (const QString &key : file.allKeys()) {
        const QString section = key.section(QLatin1Char('/'), 0, 0);
        const QString name = key.section(QLatin1Char('/'), 1);
        const std::optional<QString> text = textOf(file.value(key));
        bool known = false;
        if (section == serialSection) {
            for (const SessionKey &entry : sessionKeyTable) {
                if (name != QLatin1String(entry.name))
                    continue;
                known = true;
                if (!text || !entry.apply(session, *text))
                    refuse(key, text.value_or(QStringLiteral("?")));
            }
        }
        for (Channel *channel : session.channels()) {
            const int n = channel->number();
            if (section != channelSection(n))
                continue;
            for (const ChannelKey &entry : allChannelKeys) {
                if (name != QLatin1String(entry.name) || (entry.tcpOnly && !channel->offersTcp()))
                    continue;
                known = true;
                if (!text || !entry.apply(*channel, choices[n - 1], *text))
                    refuse(key, text.value_or(QStringLiteral("?")));
            }
        }
        if (!known)
            reading.unknown << key;
    }
    return reading;
}

QString summary(const Reading &reading)
{
    // A message lists this many and counts the rest: a file of thousands of
    // bad keys still makes a short message.
    static constexpr qsizetype namedAtMost = 5;
    static constexpr qsizetype valueShownAtMost = 40;
    const auto listed = [](const QStringList &items) {
        QStringList named;
        for (const QString &item : items.first(std::min(items.size(), namedAtMost)))
            named << (item.size() > valueShownAtMost ? item.first(valueShownAtMost) + QChar(0x2026)
                                                     : item);
        QString text = named.join(QLatin1String(", "));
        if (items.size() > namedAtMost)
            text += QObject::tr(" and %n more", nullptr, int(items.size() - namedAtMost));
        return text;
    };
    QStringList lines;
    if (!reading.refused.isEmpty())
        lines << QObject::tr("%n value(s) kept as they were: %1", nullptr,
                             int(reading.refused.size()))
                     .arg(listed(reading.refused));
    if (!reading.unknown.isEmpty())
        lines << QObject::tr("%n key(s) that are not setup values: %1", nullptr,
                             int(reading.unknown.size()))
                     .arg(listed(reading.unknown));
    return lines.join(QLatin1Char('\n'));
}

} // namespace SetupFile

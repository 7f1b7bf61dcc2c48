#include "devices/setup_file.h"

#include "core/channel_state.h"
#include "core/named_file.h"
#include "core/setup_text.h"
#include "devices/capture_session.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTemporaryFile>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

const QString serialSection = QStringLiteral("Serial");
const QString mqttSection = QStringLiteral("MQTT");

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

// The [Serial] section's keys first: a channel's own values override them.
QStringList setupKeysSerialFirst(QStringList keys)
{
    std::stable_partition(keys.begin(), keys.end(), [](const QString &key) {
        return key.section(QLatin1Char('/'), 0, 0) == serialSection;
    });
    return keys;
}

// A value of the channel's section: nothing when `name` is none of its keys,
// else whether it was applied.
std::optional<bool> appliedToSetupChannel(CaptureSession &session, Channel &channel,
                                          const QString &name, const std::optional<QString> &text)
{
    for (const SetupFile::ChannelKey &entry : SetupFile::channelKeys()) {
        if (name == QLatin1String(entry.name) && (!entry.tcpOnly || channel.offersTcp()))
            return text && entry.apply(channel, *text);
    }
    for (const SetupFile::ChannelOverrideKey &entry : SetupFile::channelOverrideKeys()) {
        if (name == QLatin1String(entry.name))
            return text && entry.apply(session, channel, *text);
    }
    return std::nullopt;
}

// N of a section [ChannelN] (N from 1, no leading zero), else 0; a number
// too large to hold counts as beyond any channel count.
int setupChannelNumber(const QString &section)
{
    static const QRegularExpression form(QStringLiteral("^Channel([1-9][0-9]*)$"));
    const QRegularExpressionMatch match = form.match(section);
    if (!match.hasMatch())
        return 0;
    bool small = false;
    const int number = match.captured(1).toInt(&small);
    return small ? number : std::numeric_limits<int>::max();
}

} // namespace

namespace SetupFile {

int channelCountOf(const QString &path)
{
    const Contents contents = read(path);
    return contents.error.isEmpty() ? contents.channelCount : defaultChannelCount;
}

bool save(const QString &path, const CaptureSession &session, QString *error)
{
    QSettings file(path, QSettings::IniFormat);
    file.clear();
    file.beginGroup(serialSection);
    // A key with nothing to say (no bridge) is left out, as in a setup
    // saved without that feature.
    for (const SessionKey &key : sessionKeys()) {
        if (const QString value = key.current(session); !value.isEmpty())
            file.setValue(QLatin1String(key.name), value);
    }
    file.endGroup();
    if (session.mqttSettings().publish || !session.mqttSettings().host.isEmpty()) {
        file.beginGroup(mqttSection);
        for (const MqttKey &key : mqttKeys())
            file.setValue(QLatin1String(key.name), key.current(session.mqttSettings()));
        file.endGroup();
    }
    for (const Channel *channel : session.channels()) {
        const int n = channel->number();
        file.beginGroup(channelSection(n));
        for (const ChannelKey &key : channelKeys()) {
            if (!key.tcpOnly || channel->offersTcp())
                file.setValue(QLatin1String(key.name), key.current(*channel));
        }
        for (const ChannelOverrideKey &key : channelOverrideKeys()) {
            if (const std::optional<QString> value = key.current(session, *channel))
                file.setValue(QLatin1String(key.name), *value);
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
    if (!QFileInfo::exists(path)) {
        contents.error = QObject::tr("There is no such file.");
        return contents;
    }
    // Read no further than a setup can be: a huge file is refused unread.
    const NamedFile::Contents file = NamedFile::read(path, SetupText::largestFile);
    if (!file.error.isEmpty()) {
        contents.error = file.error;
        return contents;
    }
    const SetupText::Check check = SetupText::check(file.bytes);
    if (!check.problem.isEmpty()) {
        contents.error = QObject::tr("It is not a setup file. %1").arg(check.problem);
        return contents;
    }
    contents.bytes = file.bytes;
    contents.unknownEscapes = check.unknownEscapes;
    QStringList known{serialSection, mqttSection};
    for (int number : channelNumbers(defaultChannelCount))
        known << channelSection(number);
    const bool any =
        std::any_of(check.sections.cbegin(), check.sections.cend(), [](const QString &s) {
            return s == serialSection || s == mqttSection || setupChannelNumber(s) > 0;
        });
    if (!any)
        contents.error =
            QObject::tr("It is not a setup file: it has none of the sections %1.")
                .arg(QLatin1Char('[') + known.join(QLatin1String("], [")) + QLatin1Char(']'));
    for (const QString &section : check.sections)
        contents.channelCount = std::max(contents.channelCount, setupChannelNumber(section));
    if (contents.error.isEmpty() && contents.channelCount > maxChannelCount)
        contents.error = QObject::tr("It has a section [Channel%1]: a setup opens at most %2 "
                                     "channels, [Channel1] to [Channel%2].")
                             .arg(contents.channelCount)
                             .arg(maxChannelCount);
    return contents;
}

Reading open(const QString &path, CaptureSession &session)
{
    return apply(read(path), session);
}

Reading apply(const Contents &contents, CaptureSession &session)
{
    Reading reading;
    if (!contents.error.isEmpty()) {
        reading.error = contents.error;
        return reading;
    }
    // The INI reader opens files by name only: it gets a private copy of
    // the bytes checked, so the named file is opened once, by NamedFile.
    QTemporaryFile copy;
    if (!copy.open() || copy.write(contents.bytes) != contents.bytes.size() || !copy.flush()) {
        reading.error =
            QObject::tr("A temporary copy of it can't be made: %1").arg(copy.errorString());
        return reading;
    }
    QSettings file(copy.fileName(), QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        reading.error = QObject::tr("It is not a setup file.");
        return reading;
    }
    const auto refuse = [&reading](const QString &key, const QString &text) {
        reading.refused << QStringLiteral("%1 = %2").arg(key, text);
    };
    QSet<QString> escaped; // keys whose value the INI reader would not read as written
    for (const SetupText::UnknownEscape &escape : contents.unknownEscapes) {
        if (!escaped.contains(escape.key))
            reading.unknownEscapes << QStringLiteral("%1 (%2)").arg(escape.key, escape.escape);
        escaped << escape.key;
    }
    MqttSettings mqtt = session.mqttSettings();
    bool mqttRead = false;
    for (const QString &key : setupKeysSerialFirst(file.allKeys())) {
        if (escaped.contains(key))
            continue;
        const QString section = key.section(QLatin1Char('/'), 0, 0);
        const QString name = key.section(QLatin1Char('/'), 1);
        const std::optional<QString> text = textOf(file.value(key));
        bool known = false;
        if (section == serialSection) {
            for (const SessionKey &entry : sessionKeys()) {
                if (name != QLatin1String(entry.name))
                    continue;
                known = true;
                if (!text || !entry.apply(session, *text))
                    refuse(key, text.value_or(QStringLiteral("?")));
            }
        }
        if (section == mqttSection) {
            for (const MqttKey &entry : mqttKeys()) {
                if (name != QLatin1String(entry.name))
                    continue;
                known = mqttRead = true;
                if (!text || !entry.apply(mqtt, *text))
                    refuse(key, text.value_or(QStringLiteral("?")));
            }
        }
        for (Channel *channel : session.channels()) {
            if (section != channelSection(channel->number()))
                continue;
            const std::optional<bool> applied =
                appliedToSetupChannel(session, *channel, name, text);
            known = known || applied.has_value();
            if (applied == false)
                refuse(key, text.value_or(QStringLiteral("?")));
        }
        if (!known)
            reading.unknown << key;
    }
    if (mqttRead)
        session.setMqttSettings(mqtt);
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
    if (!reading.unknownEscapes.isEmpty())
        lines << QObject::tr("%n value(s) kept as they were, for an escape a setup file does not "
                             "know (it knows \\t, \\\\ and \\\"): %1",
                             nullptr, int(reading.unknownEscapes.size()))
                     .arg(listed(reading.unknownEscapes));
    if (!reading.unknown.isEmpty())
        lines << QObject::tr("%n key(s) that are not setup values: %1", nullptr,
                             int(reading.unknown.size()))
                     .arg(listed(reading.unknown));
    return lines.join(QLatin1Char('\n'));
}

} // namespace SetupFile

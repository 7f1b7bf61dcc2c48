#pragma once

#include "core/channel_list.h"
#include "core/mqtt/mqtt_settings.h"
#include "core/setup_text.h"
#include "devices/channel_choices.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class CaptureSession;
class Channel;

// A setup file (".vterm"): a small INI file, one [Serial] section, a
// [ChannelN] section per channel of the channel list and an [MQTT] section, written and read
// through QSettings. Every value is one entry of the key tables in setup_file.cpp. Opening checks
// the whole file first (a file that is not a setup changes nothing), then applies each good value
// and leaves a bad one alone.
namespace SetupFile {

inline constexpr char suffix[] = "vterm";

// One key of a channel's section: its name, the value as written, and how a
// stored text is checked and applied (false: refused, nothing changed).
struct ChannelKey
{
    const char *name;
    bool tcpOnly; // kept only for a channel that offers the network (its host and socket)
    QString (*current)(const Channel &channel);
    bool (*apply)(Channel &channel, const QString &text);
};
// One key of the [Serial] section.
struct SessionKey
{
    const char *name;
    QString (*current)(const CaptureSession &session);
    bool (*apply)(CaptureSession &session, const QString &text);
};

// A key of a channel's section that overrides one of the [Serial] section
// for that channel alone: written only where the channel's value differs
// (`current` gives nothing where it doesn't), and applied after the
// [Serial] section, whatever the file's order.
struct ChannelOverrideKey
{
    const char *name;
    std::optional<QString> (*current)(const CaptureSession &session, const Channel &channel);
    bool (*apply)(CaptureSession &session, const Channel &channel, const QString &text);
};

// One key of the [MQTT] section (MqttSettings), written only when
// publishing is set up.
struct MqttKey
{
    const char *name;
    QString (*current)(const MqttSettings &settings);
    bool (*apply)(MqttSettings &settings, const QString &text);
};

const QList<ChannelKey> &channelKeys();
const QList<SessionKey> &sessionKeys();
const QList<ChannelOverrideKey> &channelOverrideKeys();
const QList<MqttKey> &mqttKeys();

// Writes every key; false with `error` set when the file can't be written.
bool save(const QString &path, const CaptureSession &session, QString *error);

// A file read and checked, nothing applied yet: `error` when it can't be
// read or is not a setup file (too large, binary, a line that is not
// "key=value", none of the setup's sections). apply() takes `bytes`, what
// was checked, never the file again: a file changed or swapped for a pipe
// after the check can neither change what is applied nor block.
struct Contents
{
    QString error;
    QString path;
    QByteArray bytes;
    QList<SetupText::UnknownEscape> unknownEscapes; // their keys are refused
    // The channels the file opens: its highest [ChannelN], at least the
    // default two. A file with a section beyond maxChannelCount is refused.
    int channelCount = defaultChannelCount;
};

struct Reading
{
    QString error;              // the file could not be read at all; nothing applied
    QStringList unknown;        // keys this program doesn't know
    QStringList refused;        // "Channel1/TimeOut = 99999": wrong type or out of range
    QStringList unknownEscapes; // "Channel1/Button1 (\r)": an escape a setup file does not know

    bool clean() const
    {
        return error.isEmpty() && unknown.isEmpty() && refused.isEmpty() &&
               unknownEscapes.isEmpty();
    }
};

// Reads and checks the whole file without touching any channel.
Contents read(const QString &path);
// Applies the good values of a file that read() accepted to the session and
// its channels (their choices too: a channel the file has On is left off,
// its choices' `on` set, for the caller to switch on); keys the file
// doesn't hold keep their current values.
Reading apply(const Contents &contents, CaptureSession &session);
// The channels a run started with the setup at `path` opens; the default
// when the file can't be read or is refused (opening it then says why).
int channelCountOf(const QString &path);
// read() then apply().
Reading open(const QString &path, CaptureSession &session);

// The unknown and refused keys (and the escapes refused) in a few lines, however many there are.
QString summary(const Reading &reading);

} // namespace SetupFile

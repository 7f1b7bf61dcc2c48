// The script API's calls on channels (send, expect, flush, settings), the
// bytes a script hands over and running a script (recording and replay:
// script_api_capture.cpp).
#include "automation/script_api.h"

#include "automation/script_call_mark.h"
#include "automation/script_gate.h"
#include "core/channel_list.h"
#include "core/shown_text.h"
#include "devices/capture_session.h"

#include <QFileInfo>
#include <QJSEngine>

#include <algorithm>

namespace {

// The functions a script sees, straight from the API object, so an error
// they throw names the script's own line.
const char *const functionNames[] = {
    "send",   "expect",        "flush",  "wait",       "on",        "off",         "log",
    "record", "stopRecording", "replay", "stopReplay", "plotValue", "setSettings", "bridge"};

constexpr int defaultExpectMs = 10000;

// on() or off() as the host allows; why not, or empty.
QString switchedAsScripted(const ScriptHost &host, Channel &channel, bool on)
{
    if (!on) {
        channel.switchOff();
        return {};
    }
    if (channel.isOn())
        return {};
    if (!host.listenBeyondLoopbackAllowed) {
        if (const QString refusal = channel.listenBeyondLoopbackRefusal(); !refusal.isEmpty())
            return refusal;
    }
    channel.switchOn();
    if (host.switchOnFailureIsError && !channel.isOn())
        return QStringLiteral("Comm Port %1 did not switch on").arg(channel.number());
    return {};
}

} // namespace

ScriptApi::ScriptApi(QJSEngine &engine, std::shared_ptr<ScriptGate> gate, ScriptHost host)
    : m_engine(engine)
    , m_gate(std::move(gate))
    , m_host(std::move(host))
{}

void ScriptApi::fail(const QString &message)
{
    m_engine.throwError(message);
}

int ScriptApi::channelOf(const char *function, const QJSValue &value)
{
    // The session's count is fixed for the run: safe to read on this thread.
    const QList<int> numbers =
        m_host.session ? m_host.session->channelNumbers() : channelNumbers(defaultChannelCount);
    const int number = value.isNumber() ? value.toInt() : 0;
    if (value.isNumber() && double(number) == value.toNumber() &&
        std::find(numbers.begin(), numbers.end(), number) != numbers.end()) {
        if (!m_named.contains(number))
            m_named << number;
        return number;
    }
    fail(QStringLiteral("%1: there is no channel %2")
             .arg(QLatin1String(function), describeScriptValue(value)));
    return 0;
}

void ScriptApi::send(const QJSValue &channel, const QJSValue &data)
{
    const ScriptCallMark inCall(*m_gate);
    const int number = channelOf("send", channel);
    if (number == 0)
        return;
    QString error;
    const QByteArray bytes = scriptBytes(data, &error);
    if (error.isEmpty()) {
        CaptureSession *session = m_host.session;
        error = m_gate->callOnGui([session, number, bytes]() -> QString {
            Channel &target = session->channel(number);
            if (!target.isOn())
                return QStringLiteral("Comm Port %1 is off").arg(number);
            if (target.isWaiting())
                return QStringLiteral("Comm Port %1 waits to reconnect").arg(number);
            if (!target.sendUntyped(Transmission(bytes)))
                return QStringLiteral("Comm Port %1 has too much waiting to go out").arg(number);
            return {};
        });
    }
    if (!error.isEmpty())
        fail(QStringLiteral("send: ") + error);
}

QJSValue ScriptApi::expect(const QJSValue &channel, const QJSValue &pattern)
{
    return expect(channel, pattern, QJSValue());
}

QJSValue ScriptApi::expect(const QJSValue &channel, const QJSValue &pattern,
                           const QJSValue &timeoutMs)
{
    const ScriptCallMark inCall(*m_gate);
    const int number = channelOf("expect", channel);
    if (number == 0)
        return {};
    ScriptPattern wanted;
    QString unusable;
    if (pattern.isRegExp())
        wanted = ScriptPattern::regExp(m_engine, pattern, &unusable);
    else if (pattern.isString())
        wanted = ScriptPattern::text(pattern.toString());
    else {
        fail(QStringLiteral("expect: the pattern %1 is neither text nor a RegExp")
                 .arg(describeScriptValue(pattern)));
        return {};
    }
    if (!unusable.isEmpty()) {
        fail(QStringLiteral("expect(%1, %2): %3")
                 .arg(number)
                 .arg(describeScriptValue(pattern), unusable));
        return {};
    }
    const int ms = timeoutMs.isUndefined() ? defaultExpectMs : timeoutMs.toInt();
    const ScriptGate::Match match = m_gate->expect(number, wanted, ms);
    if (!match.error.isEmpty()) {
        fail(QStringLiteral("expect(%1, %2): %3")
                 .arg(number)
                 .arg(describeScriptValue(pattern), match.error));
        return {};
    }
    QJSValue result = m_engine.newObject();
    result.setProperty(QStringLiteral("text"), match.text);
    result.setProperty(QStringLiteral("groups"), m_engine.toScriptValue(match.groups));
    result.setProperty(QStringLiteral("time"), m_engine.toScriptValue(match.at));
    return result;
}

double ScriptApi::flush(const QJSValue &channel)
{
    const ScriptCallMark inCall(*m_gate);
    const int number = channelOf("flush", channel);
    if (number == 0)
        return 0;
    // On the GUI thread: what it received before this call is in the inbox.
    const std::weak_ptr<ScriptGate> weakGate = m_gate;
    const QString dropped = m_gate->callOnGui([weakGate, number] {
        const auto gate = weakGate.lock();
        return gate ? QString::number(gate->flush(number)) : QString();
    });
    return dropped.toDouble();
}

double ScriptApi::plotValue(const QJSValue &channel, const QJSValue &name)
{
    const ScriptCallMark inCall(*m_gate);
    const int number = channelOf("plotValue", channel);
    if (number == 0)
        return 0;
    CaptureSession *session = m_host.session;
    const QByteArray series = name.toString().toUtf8();
    const QString value = m_gate->callOnGui([session, number, series] {
        ChannelPlot &plot = session->channel(number).plot();
        plot.setOn(true);
        return QString::number(plot.latest(series), 'g', 17);
    });
    return value.toDouble();
}

void ScriptApi::wait(const QJSValue &ms)
{
    const ScriptCallMark inCall(*m_gate);
    m_gate->sleep(ms.toInt());
}

void ScriptApi::on(const QJSValue &channel)
{
    switchChannel("on", channel, true);
}

void ScriptApi::off(const QJSValue &channel)
{
    switchChannel("off", channel, false);
}

void ScriptApi::switchChannel(const char *function, const QJSValue &channel, bool on)
{
    const ScriptCallMark inCall(*m_gate);
    const int number = channelOf(function, channel);
    if (number == 0)
        return;
    const ScriptHost host = m_host;
    const std::weak_ptr<ScriptGate> weakGate = m_gate;
    const QString error = m_gate->callOnGui([host, number, on, weakGate]() -> QString {
        const QString refusal = switchedAsScripted(host, host.session->channel(number), on);
        // A connection still being made counts as on: what it sends waits.
        if (const auto gate = weakGate.lock())
            gate->setOn(number, host.session->channel(number).isOn());
        return refusal;
    });
    if (!error.isEmpty())
        fail(QStringLiteral("%1(%2): %3").arg(QLatin1String(function)).arg(number).arg(error));
}

void ScriptApi::setSettings(const QJSValue &channel, const QJSValue &settings)
{
    const ScriptCallMark inCall(*m_gate);
    const int number = channelOf("setSettings", channel);
    if (number == 0)
        return;
    if (!settings.isString()) {
        fail(QStringLiteral("setSettings(%1): %2 is no settings text such as \"115200,n,8,1\"")
                 .arg(number)
                 .arg(describeScriptValue(settings)));
        return;
    }
    const QString text = settings.toString();
    CaptureSession *session = m_host.session;
    const QString error = m_gate->callOnGui(
        [session, number, text] { return session->channel(number).changeSettings(text); });
    if (!error.isEmpty())
        fail(QStringLiteral("setSettings(%1): %2").arg(number).arg(error));
}

void ScriptApi::log(const QJSValue &text)
{
    const QString line = text.toString();
    const auto logTo = m_host.log;
    CaptureSession *session = m_host.session;
    QList<int> channels = m_named;
    if (channels.isEmpty())
        channels = session ? session->channelNumbers() : channelNumbers(defaultChannelCount);
    m_gate->postToGui([logTo, line, session, channels] {
        logTo(line);
        if (session)
            session->recordings().noteInLogs(channels, QStringLiteral("script: ") + line);
    });
}

QByteArray scriptBytes(const QJSValue &data, QString *error)
{
    if (data.isString())
        return data.toString().toLatin1();
    if (data.isArray()) {
        QByteArray bytes;
        const int length = data.property(QStringLiteral("length")).toInt();
        for (int i = 0; i < length; ++i) {
            const QJSValue item = data.property(quint32(i));
            const double value = item.toNumber();
            if (!item.isNumber() || value < 0 || value > 255 || value != int(value)) {
                *error = QStringLiteral("item %1 (%2) is not a byte value 0 to 255")
                             .arg(i)
                             .arg(describeScriptValue(item));
                return {};
            }
            bytes.append(char(int(value)));
        }
        return bytes;
    }
    const QVariant whole = data.toVariant();
    if (whole.typeId() == QMetaType::QByteArray)
        return whole.toByteArray();
    // A typed array: the part of its buffer it looks at.
    const QVariant buffer = data.property(QStringLiteral("buffer")).toVariant();
    if (data.isObject() && buffer.typeId() == QMetaType::QByteArray) {
        const int offset = data.property(QStringLiteral("byteOffset")).toInt();
        const int length = data.property(QStringLiteral("byteLength")).toInt();
        return buffer.toByteArray().mid(offset, length);
    }
    *error = QStringLiteral("%1 is neither text nor bytes").arg(describeScriptValue(data));
    return {};
}

ScriptOutcome runScript(const QString &path, const QString &source,
                        const std::shared_ptr<ScriptGate> &gate, const ScriptHost &host)
{
    QJSEngine engine;
    gate->setEngine(&engine);
    ScriptApi api(engine, gate, host);
    QJSEngine::setObjectOwnership(&api, QJSEngine::CppOwnership);
    const QJSValue apiValue = engine.newQObject(&api);
    for (const char *name : functionNames)
        engine.globalObject().setProperty(QLatin1String(name),
                                          apiValue.property(QLatin1String(name)));

    ScriptOutcome outcome;
    const QJSValue result = gate->stopping() ? QJSValue() : engine.evaluate(source, path);
    gate->leaveCall();
    gate->setEngine(nullptr);
    const QString name = QFileInfo(path).fileName();
    if (gate->stopping()) {
        outcome.stopped = true;
        outcome.message = QStringLiteral("%1: stopped").arg(name);
    } else if (result.isError()) {
        outcome.message = QStringLiteral("%1:%2: %3")
                              .arg(name, result.property(QStringLiteral("lineNumber")).toString(),
                                   shownText(result.toString()));
    } else {
        outcome.ok = true;
        outcome.message = QStringLiteral("%1: finished").arg(name);
    }
    return outcome;
}

#include "moc_script_api.cpp"

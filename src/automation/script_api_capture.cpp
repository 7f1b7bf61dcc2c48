// The script API's recordings and replays: record(), stopRecording(),
// replay() and stopReplay(), each done on the window's thread.
#include "automation/script_api.h"

#include "automation/script_call_mark.h"
#include "automation/script_gate.h"
#include "devices/capture_session.h"
#include "devices/recordings.h"

#include <QFileInfo>

void ScriptApi::record(const QJSValue &channel, const QJSValue &kind, const QJSValue &path)
{
    const ScriptCallMark inCall(*m_gate);
    const int number = channelOf("record", channel);
    if (number == 0)
        return;
    static const QStringList kinds{QStringLiteral("raw"), QStringLiteral("shown"),
                                   QStringLiteral("log")};
    const qsizetype kindIndex = kinds.indexOf(kind.toString());
    if (!kind.isString() || kindIndex < 0) {
        fail(QStringLiteral("record(%1): the kind %2 is none of \"raw\", \"shown\", \"log\"")
                 .arg(number)
                 .arg(describeScriptValue(kind)));
        return;
    }
    if (!path.isString() || path.toString().isEmpty()) {
        fail(QStringLiteral("record(%1): %2 is no file name")
                 .arg(number)
                 .arg(describeScriptValue(path)));
        return;
    }
    const QString file = QFileInfo(path.toString()).absoluteFilePath();
    const RecordKind recordKind =
        std::array{RecordKind::Raw, RecordKind::Shown, RecordKind::Log}[size_t(kindIndex)];
    CaptureSession *session = m_host.session;
    const QString error = m_gate->callOnGui([session, number, recordKind, file] {
        return session->recordings().start(RecordSource::channel(number), recordKind, file,
                                           FileWriter::Existing::Replace);
    });
    if (!error.isEmpty()) {
        fail(QStringLiteral("record(%1): %2").arg(number).arg(error));
        return;
    }
    m_recorded << number;
}

void ScriptApi::stopRecording()
{
    const ScriptCallMark inCall(*m_gate);
    CaptureSession *session = m_host.session;
    const QList<int> channels = std::exchange(m_recorded, {});
    m_gate->callOnGui([session, channels] {
        for (const int number : channels)
            session->recordings().stop(RecordSource::channel(number));
        return QString();
    });
}

void ScriptApi::replay(const QJSValue &channel, const QJSValue &path)
{
    replay(channel, path, QJSValue());
}

void ScriptApi::replay(const QJSValue &channel, const QJSValue &path, const QJSValue &options)
{
    const ScriptCallMark inCall(*m_gate);
    const int number = channelOf("replay", channel);
    if (number == 0)
        return;
    ReplayRequest request;
    request.path = QFileInfo(path.toString()).absoluteFilePath();
    const auto option = [&options](const char *name) {
        return options.isObject() ? options.property(QLatin1String(name)) : QJSValue();
    };
    if (option("into").toString() == QLatin1String("device"))
        request.into = ReplayRequest::Into::Device;
    request.fastest = option("fastest").toBool();
    if (option("rate").isNumber())
        request.rawBytesPerSecond = qint64(option("rate").toNumber());
    const QString format = option("format").toString();
    if (format == QLatin1String("hex"))
        request.logFormat = ReceiveFormat::Hex;
    else if (format == QLatin1String("decimal"))
        request.logFormat = ReceiveFormat::Decimal;
    if (option("lines").isNumber())
        request.logChannel = option("lines").toInt();
    CaptureSession *session = m_host.session;
    const QString error = m_gate->callOnGui(
        [session, number, request] { return session->channel(number).replayer().start(request); });
    if (!error.isEmpty())
        fail(QStringLiteral("replay(%1): %2").arg(number).arg(error));
}

void ScriptApi::stopReplay()
{
    const ScriptCallMark inCall(*m_gate);
    CaptureSession *session = m_host.session;
    m_gate->callOnGui([session] {
        for (Channel *channel : session->channels())
            channel->replayer().stop();
        return QString();
    });
}

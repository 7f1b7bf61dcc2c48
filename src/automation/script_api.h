#pragma once

#include <QJSValue>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CaptureSession;
class QJSEngine;
class ScriptGate;

// What a script may do to the program, each called on the GUI thread: the
// session whose channels it sends on and switches (on() switches a channel
// on as its choices say, Channel::switchOn()), and how strict on() is.
struct ScriptHost
{
    CaptureSession *session = nullptr;
    // on() switches on a channel whose choices listen beyond loopback (the
    // window: its operator chose them), or refuses it (a run without one,
    // unless its request allows it).
    bool listenBeyondLoopbackAllowed = false;
    // An on() that leaves the channel off ends the script with an error (a
    // run without a window, where no one sees the channel's failure), or
    // the failure is only the channel's to report (the window's message).
    bool switchOnFailureIsError = false;
    std::function<void(const QString &text)> log;
};

// How a script ended: normally, or with the message naming the file, the
// line and the cause (or saying it was stopped).
struct ScriptOutcome
{
    bool ok = false;
    bool stopped = false;
    QString message;
};

// The functions a script sees, as a QObject on the script's own thread.
// Each blocks that thread only, through the gate (script_gate.h), while the
// channels go on on the GUI thread; a refused call throws a JavaScript
// error naming the function, the channel and the cause.
class ScriptApi : public QObject
{
    Q_OBJECT

public:
    ScriptApi(QJSEngine &engine, std::shared_ptr<ScriptGate> gate, ScriptHost host);

    Q_INVOKABLE void send(const QJSValue &channel, const QJSValue &data);
    // Waits 10 s at most.
    Q_INVOKABLE QJSValue expect(const QJSValue &channel, const QJSValue &pattern);
    Q_INVOKABLE QJSValue expect(const QJSValue &channel, const QJSValue &pattern,
                                const QJSValue &timeoutMs);
    // Drops what the channel kept for expect; returns how many bytes.
    Q_INVOKABLE double flush(const QJSValue &channel);
    Q_INVOKABLE void wait(const QJSValue &ms);
    Q_INVOKABLE void on(const QJSValue &channel);
    Q_INVOKABLE void off(const QJSValue &channel);
    // Also a note ('!') in every log recording of the channels the script
    // has named so far (of every channel before it names one).
    Q_INVOKABLE void log(const QJSValue &text);
    // Records the channel to `path` (replaced if it exists): `kind` is
    // "raw", "shown" or "log".
    Q_INVOKABLE void record(const QJSValue &channel, const QJSValue &kind, const QJSValue &path);
    // Stops every recording this script started.
    Q_INVOKABLE void stopRecording();
    // Starts replaying a recording on the channel and returns at once;
    // `options` may hold into ("pane" or "device"), fastest, rate (bytes/s
    // of a raw recording) and format ("ascii", "hex", "decimal": a log's).
    Q_INVOKABLE void replay(const QJSValue &channel, const QJSValue &path);
    Q_INVOKABLE void replay(const QJSValue &channel, const QJSValue &path, const QJSValue &options);
    // Stops the replays of every channel.
    Q_INVOKABLE void stopReplay();
    // The latest value of the channel's plot series `name` (turning the
    // channel's plot on when it was off); NaN while it has none.
    Q_INVOKABLE double plotValue(const QJSValue &channel, const QJSValue &name);
    // New serial settings ("115200,n,8,1") for the channel's port in use,
    // changed while it stays open (Channel::changeSettings); throws why
    // they were not taken.
    Q_INVOKABLE void setSettings(const QJSValue &channel, const QJSValue &settings);
    // Starts the bridge a text such as "1<>2", "1>2" or "2>1" names
    // (ChannelBridge), or stops it for "off"; throws for any other text.
    // (script_api_bridge.cpp)
    Q_INVOKABLE void bridge(const QJSValue &choice);

private:
    // The channel's number, or 0 after throwing why it is no channel.
    int channelOf(const char *function, const QJSValue &value);
    void switchChannel(const char *function, const QJSValue &channel, bool on);
    void fail(const QString &message);

    QJSEngine &m_engine;
    std::shared_ptr<ScriptGate> m_gate;
    ScriptHost m_host;
    QList<int> m_named;    // the channels the script has named, for log()
    QList<int> m_recorded; // the channels it started recording
};

// Runs the script `source` read from `path` to its end on the calling
// thread (the script's own), with a fresh engine.
ScriptOutcome runScript(const QString &path, const QString &source,
                        const std::shared_ptr<ScriptGate> &gate, const ScriptHost &host);

// The bytes a script hands to send(): a string (as Latin-1, other
// characters as '?'), an array of byte values, an ArrayBuffer or a typed
// array; `error` says why not.
QByteArray scriptBytes(const QJSValue &data, QString *error);

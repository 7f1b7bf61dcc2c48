#pragma once

#include "automation/script_pattern.h"
#include "core/channel_list.h"

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWaitCondition>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QJSEngine;

// Where a running script's thread and the GUI thread meet. The GUI thread
// hands in what each channel receives and whether it is on; the script's
// thread waits here (expect, wait, calls that must run on the GUI thread)
// and never touches a channel itself. Every wait ends at once when stop()
// is called, so a stop never waits for a script.
//
// Each channel's inbox holds what arrived since the script started and was
// not yet taken by a matching expect (at most inboxLimit bytes: older bytes
// go first), so a reply that comes before its expect is not missed. While
// an expect waits, each arrival is searched with the matchReach bytes
// before it, not the whole inbox again: a match longer than matchReach may
// be missed once it spans arrivals (the whole inbox is searched when an
// expect begins). Searches are at least searchGapMs apart; a match's time
// is still its last byte's arrival.
class ScriptGate : public std::enable_shared_from_this<ScriptGate>
{
public:
    static constexpr qsizetype inboxLimit = qsizetype(1) << 20;
    static constexpr qsizetype matchReach = qsizetype(16) << 10;
    // The shortest time between two searches of a waiting expect.
    static constexpr qint64 searchGapMs = 5;

    // `gui` is the GUI thread's object that calls run on. Made through
    // std::make_shared: calls waiting on the GUI thread hold it weakly.
    explicit ScriptGate(QObject *gui);

    // GUI thread.
    void arrive(int channel, const QByteArray &bytes, const QDateTime &at);
    void setOn(int channel, bool on);
    // Ends every wait, now and later, and interrupts the engine's JavaScript.
    void stop();

    // The script's thread.
    void setEngine(QJSEngine *engine);
    bool stopping() const;
    // Runs `call` on the GUI thread and returns its result, or an empty
    // string once stopping.
    QString callOnGui(const std::function<QString()> &call);
    // Runs `call` on the GUI thread later, without waiting.
    void postToGui(const std::function<void()> &call);
    // False when stopped before `ms` passed.
    bool sleep(int ms);

    struct Match
    {
        QString error; // empty when found
        QString text;
        QStringList groups;
        QDateTime at; // when the match's last byte arrived
    };
    // Waits until `pattern` is in the channel's inbox, takes the inbox up to
    // the match's end and returns it; an error when time runs out, when the
    // channel is or goes off, when stopped, or when the pattern cannot be
    // used. The pattern runs with the gate unlocked: a RegExp is the
    // script's own code, and a stop must never wait for it.
    Match expect(int channel, const ScriptPattern &pattern, int timeoutMs);
    // Drops what the channel's inbox holds, so the next expect looks only at
    // what arrives after this; returns how many bytes were dropped.
    qsizetype flush(int channel);

    // Milliseconds the script's JavaScript has run since it last came back
    // from a call to the program; -1 while it is inside one.
    qint64 busyMs() const;
    void enterCall();
    void leaveCall();

private:
    // What is kept is bytes from `start` on; older bytes wait there to be
    // dropped in one move once there are inboxLimit of them.
    struct Inbox
    {
        QByteArray bytes;
        qsizetype start = 0;
        qsizetype searched = 0; // the current expect found nothing before this
        qint64 dropped = 0;     // bytes removed from the front of `bytes` so far
        QList<std::pair<qsizetype, QDateTime>> batchEnds; // end offset in bytes, arrival
        bool on = false;
        quint64 switchOffs = 0;
    };
    Inbox &inbox(int channel) { return m_inboxes[size_t(channel - 1)]; }
    bool find(QMutexLocker<QMutex> &lock, Inbox &box, const ScriptPattern &pattern, Match *match);
    static void dropTaken(Inbox &box);

    QPointer<QObject> m_gui;
    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    std::vector<Inbox> m_inboxes; // maxChannelCount: any run's channel has one
    QJSEngine *m_engine = nullptr;
    bool m_stopping = false;
    quint64 m_lastCall = 0; // tickets of callOnGui
    QList<std::pair<quint64, QString>> m_answers;
    std::atomic<qint64> m_busySince{-1};
};

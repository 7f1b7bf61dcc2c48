#include "automation/script_gate.h"

#include <QJSEngine>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ScriptGate::ScriptGate(QObject *gui)
    : m_gui(gui)
    , m_inboxes(size_t(maxChannelCount))
{
    leaveCall();
}

void ScriptGate::arrive(int channel, const QByteArray &bytes, const QDateTime &at)
{
    const QMutexLocker lock(&m_mutex);
    Inbox &box = inbox(channel);
    box.bytes.append(bytes);
    box.batchEnds.append({box.bytes.size(), at});
    box.start = std::max(box.start, box.bytes.size() - inboxLimit);
    dropTaken(box);
    m_wake.wakeAll();
}

void ScriptGate::setOn(int channel, bool on)
{
    const QMutexLocker lock(&m_mutex);
    Inbox &box = inbox(channel);
    if (box.on && !on)
        ++box.switchOffs;
    box.on = on;
    m_wake.wakeAll();
}

void ScriptGate::stop()
{
    const QMutexLocker lock(&m_mutex);
    m_stopping = true;
    if (m_engine)
        m_engine->setInterrupted(true);
    m_wake.wakeAll();
}

void ScriptGate::setEngine(QJSEngine *engine)
{
    const QMutexLocker lock(&m_mutex);
    m_engine = engine;
    if (m_engine && m_stopping)
        m_engine->setInterrupted(true);
}

bool ScriptGate::stopping() const
{
    const QMutexLocker lock(&m_mutex);
    return m_stopping;
}

QString ScriptGate::callOnGui(const std::function<QString()> &call)
{
    QMutexLocker lock(&m_mutex);
    if (m_stopping || !m_gui)
        return {};
    const quint64 ticket = ++m_lastCall;
    // A call still queued when its run is over does nothing.
    QMetaObject::invokeMethod(
        m_gui.data(),
        [weak = weak_from_this(), ticket, call] {
            const auto gate = weak.lock();
            if (!gate || gate->stopping())
                return;
            const QString answer = call();
            const QMutexLocker answered(&gate->m_mutex);
            gate->m_answers.append({ticket, answer});
            gate->m_wake.wakeAll();
        },
        Qt::QueuedConnection);
    while (!m_stopping) {
        for (qsizetype i = 0; i < m_answers.size(); ++i) {
            if (m_answers.at(i).first == ticket)
                return m_answers.takeAt(i).second;
        }
        m_wake.wait(&m_mutex);
    }
    return {};
}

void ScriptGate::postToGui(const std::function<void()> &call)
{
    const QMutexLocker lock(&m_mutex);
    if (m_gui)
        QMetaObject::invokeMethod(m_gui.data(), call, Qt::QueuedConnection);
}

bool ScriptGate::sleep(int ms)
{
    QMutexLocker lock(&m_mutex);
    const QDeadlineTimer deadline(qMax(ms, 0));
    while (!m_stopping && !deadline.hasExpired())
        m_wake.wait(&m_mutex, deadline);
    return !m_stopping;
}

ScriptGate::Match ScriptGate::expect(int channel, const ScriptPattern &pattern, int timeoutMs)
{
    QMutexLocker lock(&m_mutex);
    Inbox &box = inbox(channel);
    const quint64 switchOffs = box.switchOffs;
    box.searched = box.start; // a new pattern: the whole inbox
    const QDeadlineTimer deadline(qMax(timeoutMs, 0));
    Match match;
    const QString name = QStringLiteral("Comm Port %1").arg(channel);
    for (;;) {
        if (m_stopping) {
            match.error = QStringLiteral("the script was stopped");
            return match;
        }
        if (find(lock, box, pattern, &match))
            return match;
        if (m_stopping) {
            match.error = QStringLiteral("the script was stopped");
            return match;
        }
        if (!match.error.isEmpty())
            return match;
        if (box.switchOffs != switchOffs) {
            match.error = QStringLiteral("%1 switched off while waiting").arg(name);
            return match;
        }
        if (!box.on) {
            match.error = QStringLiteral("%1 is off").arg(name);
            return match;
        }
        if (deadline.hasExpired()) {
            match.error = QStringLiteral("nothing matched within %1 ms").arg(timeoutMs);
            return match;
        }
        const qint64 searchedAt = steadyMs();
        m_wake.wait(&m_mutex, deadline);
        // A fast stream arrives in many small batches: gather searchGapMs of
        // them before searching again. A stop, a switch-off and the
        // deadline still end the wait at once.
        for (qint64 left = searchGapMs - (steadyMs() - searchedAt);
             left > 0 && !m_stopping && box.on && box.switchOffs == switchOffs &&
             !deadline.hasExpired();
             left = searchGapMs - (steadyMs() - searchedAt))
            m_wake.wait(&m_mutex, QDeadlineTimer(std::min(left, deadline.remainingTime())));
    }
}

qsizetype ScriptGate::flush(int channel)
{
    const QMutexLocker lock(&m_mutex);
    Inbox &box = inbox(channel);
    const qsizetype dropped = box.bytes.size() - box.start;
    box.start = box.bytes.size();
    box.searched = box.start;
    dropTaken(box);
    return dropped;
}

void ScriptGate::dropTaken(Inbox &box)
{
    while (!box.batchEnds.isEmpty() && box.batchEnds.first().first <= box.start)
        box.batchEnds.removeFirst();
    // Moving the kept bytes costs as much as the bytes dropped: never more
    // than what arrived meanwhile.
    if (box.start < inboxLimit)
        return;
    const qsizetype dropped = box.start;
    box.bytes.remove(0, dropped);
    box.dropped += dropped;
    for (auto &end : box.batchEnds)
        end.first -= dropped;
    box.start = 0;
    box.searched = std::max<qsizetype>(0, box.searched - dropped);
}

bool ScriptGate::find(QMutexLocker<QMutex> &lock, Inbox &box, const ScriptPattern &pattern,
                      Match *match)
{
    const qsizetype from = std::max(box.start, box.searched - matchReach);
    const QString text = QString::fromLatin1(QByteArrayView(box.bytes).sliced(from));
    box.searched = box.bytes.size();
    const qint64 textStart = box.dropped + from; // offsets move while unlocked
    lock.unlock();
    QString error;
    const ScriptPattern::Found found = pattern.find(text, &error);
    lock.relock();
    if (!error.isEmpty())
        match->error = error;
    if (found.start < 0)
        return false;
    match->text = found.text;
    match->groups = found.groups;
    // Bytes that came meanwhile may have pushed the match out of the inbox.
    const qsizetype end =
        std::max(box.start, qsizetype(textStart + found.start + found.length - box.dropped));
    for (const auto &batchEnd : box.batchEnds) {
        if (batchEnd.first >= end) {
            match->at = batchEnd.second;
            break;
        }
    }
    box.start = end;
    box.searched = end;
    dropTaken(box);
    return true;
}

qint64 ScriptGate::busyMs() const
{
    const qint64 since = m_busySince.load();
    return since < 0 ? -1 : steadyMs() - since;
}

void ScriptGate::enterCall()
{
    m_busySince.store(-1);
}

void ScriptGate::leaveCall()
{
    m_busySince.store(steadyMs());
}

#include "automation/script_run.h"

#include "automation/script_gate.h"
#include "core/named_file.h"
#include "devices/capture_session.h"

#include <QDateTime>
#include <QThread>

ScriptRun::ScriptRun(ScriptHost host, QObject *parent)
    : QObject(parent)
    , m_host(std::move(host))
{
    m_host.log = [this](const QString &text) {
        emit logged(text);
    };
    for (Channel *channel : m_host.session->channels()) {
        const int number = channel->number();
        connect(channel, &Channel::batchReceived, this,
                [this, number](const QByteArray &batch, const ArrivalTime &arrival) {
                    // The batch's own time: a match's time is its lines' time in the pane.
                    if (m_gate)
                        m_gate->arrive(number, batch,
                                       QDateTime::fromMSecsSinceEpoch(arrival.wallMs));
                });
        connect(channel, &Channel::onChanged, this, [this, number](bool on) {
            if (m_gate)
                m_gate->setOn(number, on);
        });
    }
    m_watchdog.setInterval(500);
    connect(&m_watchdog, &QTimer::timeout, this, &ScriptRun::watch);
}

ScriptRun::~ScriptRun()
{
    if (m_thread) {
        m_gate->stop();
        m_thread->wait();
        delete m_thread;
    }
}

QString ScriptRun::start(const QString &path)
{
    if (m_thread)
        return tr("The script %1 is still running.").arg(m_path);
    const NamedFile::Contents file = NamedFile::read(path, largestScript);
    if (!file.error.isEmpty())
        return tr("The script %1 could not be read: %2").arg(path, file.error);
    const QString source = QString::fromUtf8(file.bytes);
    m_path = path;
    m_gate = std::make_shared<ScriptGate>(this);
    for (Channel *channel : m_host.session->channels())
        m_gate->setOn(channel->number(), channel->isOn());
    m_outcome = std::make_shared<ScriptOutcome>();
    m_thread = QThread::create([path, source, gate = m_gate, host = m_host, outcome = m_outcome] {
        *outcome = runScript(path, source, gate, host);
    });
    connect(m_thread, &QThread::finished, this, &ScriptRun::onThreadFinished);
    m_saidStuck = false;
    m_watchdog.start();
    m_thread->start();
    return {};
}

void ScriptRun::stop()
{
    if (m_gate)
        m_gate->stop();
}

void ScriptRun::onThreadFinished()
{
    m_watchdog.stop();
    m_thread->wait();
    delete std::exchange(m_thread, nullptr);
    m_gate.reset();
    emit finished(*m_outcome);
}

void ScriptRun::watch()
{
    const qint64 busy = m_gate ? m_gate->busyMs() : -1;
    if (busy < stuckMs) {
        m_saidStuck = false;
        return;
    }
    if (!m_saidStuck) {
        m_saidStuck = true;
        emit looksStuck();
    }
}

#include "moc_script_run.cpp"

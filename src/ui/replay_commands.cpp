#include "ui/replay_commands.h"

#include "devices/capture_session.h"
#include "ui/program_message.h"

#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>

namespace {

constexpr int endMessageMs = 6000;

} // namespace

ReplayCommands::ReplayCommands(CaptureSession &session, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
{
    for (Channel *channel : session.channels()) {
        connect(&channel->replayer(), &Replayer::finished, this,
                [this](bool, const QString &text) { showEnd(text); });
        connect(&channel->replayer(), &Replayer::noted, this, &ReplayCommands::showEnd);
    }
}

QAction *ReplayCommands::addEntries(QMenu *file)
{
    QAction *replay = file->addAction(tr("Rep&lay..."), this, &ReplayCommands::chooseAndStart);
    replay->setObjectName(QStringLiteral("mnuFileReplay"));
    QAction *stop = file->addAction(tr("Stop Repla&y"), this, &ReplayCommands::stopAll);
    stop->setObjectName(QStringLiteral("mnuFileStopReplay"));
    return replay;
}

void ReplayCommands::chooseAndStart()
{
    const std::optional<ReplayChoice> choice =
        askReplay(m_window, m_last, m_session.channelNumbers());
    if (!choice)
        return;
    m_last = *choice;
    const QString error = m_session.channel(choice->channel).replayer().start(choice->request);
    if (!error.isEmpty())
        showProgramMessage(m_window, error);
}

void ReplayCommands::stopAll()
{
    for (Channel *channel : m_session.channels())
        channel->replayer().stop();
}

void ReplayCommands::showEnd(const QString &text)
{
    if (auto *window = qobject_cast<QMainWindow *>(m_window))
        window->statusBar()->showMessage(text, endMessageMs);
}

#include "moc_replay_commands.cpp"

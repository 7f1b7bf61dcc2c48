#include "ui/setup_commands.h"

#include "core/shown_text.h"
#include "devices/capture_session.h"
#include "devices/setup_file.h"
#include "ui/channel_group.h"
#include "ui/display_window.h"
#include "ui/last_setup.h"
#include "ui/program_message.h"
#include "ui/recent_setups.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

namespace {

QString fileFilter()
{
    return QObject::tr("VarnokTerm setups (*.%1)").arg(QLatin1String(SetupFile::suffix));
}

// A setup's channel that would listen beyond loopback listens only when the
// operator says so: the first client would get all the channel sends.
bool listeningAllowed(QWidget *window, int number, const ChannelChoices &choices)
{
    QMessageBox question(
        QMessageBox::Warning, programTitle(),
        QObject::tr("The setup has Comm Port %1 listen on TCP port %2 at \"%3\", beyond this "
                    "machine's loopback. Listen there?")
            .arg(number)
            .arg(choices.socket, choices.host),
        QMessageBox::Yes | QMessageBox::No, window);
    question.setTextFormat(Qt::PlainText);
    question.setInformativeText(QObject::tr(
        "Any machine that reaches this one may connect, and the first client gets everything "
        "the channel sends: what is typed, sent by the send buttons, sent from files and "
        "replayed. No leaves the channel off."));
    question.setDefaultButton(QMessageBox::No);
    question.setObjectName(QStringLiteral("listenBeyondLoopbackQuestion"));
    return question.exec() == QMessageBox::Yes;
}

} // namespace

SetupCommands::SetupCommands(CaptureSession &session, DisplayWindow *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
    , m_lastSetup(new LastSetup(*this, session, this))
    , m_recentSetups(new RecentSetups(
          [this](const QString &path) {
              if (openSetup(path))
                  m_recentSetups->add(path);
          },
          this))
{}

void SetupCommands::addEntries(QMenu *file)
{
    QAction *open = file->addAction(tr("&Open Setup..."), this, &SetupCommands::chooseAndOpen);
    open->setObjectName(QStringLiteral("mnuFileOpenSetup"));
    open->setShortcut(QKeySequence::Open);
    QAction *save = file->addAction(tr("Save Setup &As..."), this, &SetupCommands::chooseAndSave);
    save->setObjectName(QStringLiteral("mnuFileSaveSetup"));
    // The setup is the one thing the program saves under its own name.
    save->setShortcut(QKeySequence::Save);
    m_recentSetups->addMenu(file);
    m_lastSetup->addEntry(file);
}

void SetupCommands::chooseAndSave()
{
    QFileDialog dialog(m_window, tr("Save Setup As"), m_folder, fileFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QLatin1String(SetupFile::suffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    m_folder = QFileInfo(path).absolutePath();
    if (saveSetup(path))
        m_recentSetups->add(path);
}

void SetupCommands::chooseAndOpen()
{
    const QString path =
        QFileDialog::getOpenFileName(m_window, tr("Open Setup"), m_folder,
                                     fileFilter() + QStringLiteral(";;") + tr("All files (*)"));
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    if (openSetup(path))
        m_recentSetups->add(path);
}

bool SetupCommands::saveSetup(const QString &path)
{
    if (!m_window->controls())
        return false;
    QString error;
    if (SetupFile::save(path, m_session, &error))
        return true;
    showProgramMessage(m_window, tr("The setup could not be saved to %1.").arg(shownText(path)),
                       error);
    return false;
}

bool SetupCommands::openSetup(const QString &path)
{
    DisplayControls *controls = m_window->controls();
    if (!controls)
        return false;
    // A file that is not a setup leaves the running capture alone.
    SetupFile::Contents contents = SetupFile::read(path);
    // The channels are made when the program starts: more come only with a
    // new start.
    if (contents.error.isEmpty() && contents.channelCount > m_session.channelCount())
        contents.error = tr("It opens %1 channels and this window has %2: start the program "
                            "with it (varnokterm %3) to open them all.")
                             .arg(contents.channelCount)
                             .arg(m_session.channelCount())
                             .arg(shownText(path));
    if (!contents.error.isEmpty()) {
        showProgramMessage(m_window, tr("The setup %1 could not be opened.").arg(shownText(path)),
                           contents.error);
        return false;
    }
    for (int n : m_session.channelNumbers())
        controls->group(n).switchOff();
    const SetupFile::Reading reading = SetupFile::apply(contents, m_session);
    if (!reading.error.isEmpty()) {
        showProgramMessage(m_window, tr("The setup %1 could not be opened.").arg(shownText(path)),
                           reading.error);
        return false;
    }
    if (m_session.mqttSettings() != m_session.publisher().settings()) {
        const QString error = m_session.publisher().apply(m_session.mqttSettings());
        if (!error.isEmpty())
            showProgramMessage(m_window, tr("Publishing to MQTT could not start."), error);
    }
    if (!reading.clean()) {
        showProgramMessage(m_window,
                           tr("Some values of the setup %1 were not used.")
                               .arg(shownText(QFileInfo(path).fileName())),
                           SetupFile::summary(reading));
    }
    // Through the switches, so a failure is reported as when clicked.
    for (Channel *channel : m_session.channels()) {
        const ChannelChoices chosen = channel->choices();
        if (!chosen.on)
            continue;
        if (!channel->listenBeyondLoopbackRefusal().isEmpty() &&
            !listeningAllowed(m_window, channel->number(), chosen)) {
            ChannelChoices off = chosen;
            off.on = false;
            channel->setChoices(off);
            continue;
        }
        controls->group(channel->number()).switchOnAsClicked();
    }
    return true;
}

#include "moc_setup_commands.cpp"

#include "app/program_start.h"

#include "app/headless_run.h"
#include "app/quit_when_shown.h"
#include "core/pane/pane_spill.h"
#include "ui/display_window.h"
#include "ui/last_setup.h"
#include "ui/program_message.h"
#include "ui/script_commands.h"
#include "ui/setup_commands.h"
#include "ui/sign_on_window.h"
#include "ui/window_placement.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

ProgramStart::ProgramStart(int channelCount)
    : session(channelCount)
{}

ProgramStart::~ProgramStart()
{
    delete m_signOn.data();
}

void ProgramStart::start()
{
    if (m_stopSignals.install())
        connect(&m_stopSignals, &StopSignals::stopRequested, this, &ProgramStart::exitProgram);
    // After the handlers: no file work comes before a stop request can land.
    PaneSpill::removeLeftovers();
    m_signOn = new SignOnWindow(session, [this] { showMain(); });
    // Closing the splash before its tick ends the program: it is the only window.
    m_signOn->setAttribute(Qt::WA_DeleteOnClose);
    if (QuitWhenShown::asked())
        new QuitWhenShown(m_signOn);
    m_signOn->show();
}

void ProgramStart::showMain()
{
    // The main window's start-up closes the splash before the main window
    // shows. Qt checks for visible windows again before it quits on that, so
    // the program goes on.
    if (!m_display) {
        m_display = std::make_unique<DisplayWindow>(session);
        m_display->setCloseSignOn([this] {
            if (m_signOn)
                m_signOn->close();
        });
        m_display->load();
        // First shown in the middle of the screen, whatever the desktop does.
        m_display->adjustSize();
        growToHint(m_display.get());
        centreOnOwner(m_display.get());
    }
    m_display->show();
    // Its messages, if any, belong over the shown window. The recordings
    // start before the setup switches channels on: they hold everything.
    startRecords();
    // A setup named on the command line wins over the one remembered.
    if (!m_setupFile.isEmpty())
        m_display->setupCommands()->openSetup(std::exchange(m_setupFile, QString()));
    else if (!std::exchange(m_restored, true))
        m_display->setupCommands()->lastSetup()->restore();
    if (!m_scriptFile.isEmpty())
        m_display->scriptCommands()->run(std::exchange(m_scriptFile, QString()));
}

void ProgramStart::startRecords()
{
    for (const QString &record : std::exchange(m_records, {})) {
        const RecordingRequest request = recordingRequest(record, session.channelCount());
        // As in a headless run, a file that exists is added to.
        const QString refused =
            !request.error.isEmpty() ? request.error
            : request.plotCsv
                ? tr("--record %1 is for runs with --headless: in the window, use File > Export "
                     "Plot Data as CSV.")
                      .arg(record)
                : session.recordings().start(request.source, request.kind, request.path,
                                             FileWriter::Existing::Append);
        if (!refused.isEmpty())
            showProgramMessage(m_display.get(), tr("Recording did not start."), refused);
    }
}

void ProgramStart::exitProgram()
{
    if (m_display)
        m_display->exitProgram();
    else
        QCoreApplication::quit();
}

int ProgramStart::exec()
{
    start();
    const int status = QCoreApplication::exec();
    if (session.recordings().stuckOnExit()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

#include "moc_program_start.cpp"

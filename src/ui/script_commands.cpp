#include "ui/script_commands.h"

#include "core/shown_text.h"
#include "devices/capture_session.h"
#include "ui/display_window.h"
#include "ui/program_message.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include <cstdio>

ScriptCommands::ScriptCommands(CaptureSession &session, DisplayWindow *window)
    : QObject(window)
    , m_window(window)
    // The operator chose the window's fields; a failure shows as a click's.
    , m_script(ScriptHost{&session, true, false, {}})
{
    connect(&m_script, &ScriptRun::logged, this, &ScriptCommands::showLog);
    connect(&m_script, &ScriptRun::finished, this, &ScriptCommands::onFinished);
    connect(&m_script, &ScriptRun::looksStuck, this, &ScriptCommands::offerStop);
}

void ScriptCommands::addEntries(QMenu *file)
{
    m_runEntry = file->addAction(tr("R&un Script..."));
    m_runEntry->setObjectName(QStringLiteral("mnuFileRunScript"));
    connect(m_runEntry, &QAction::triggered, this, &ScriptCommands::chooseAndRun);
    m_stopEntry = file->addAction(tr("S&top Script"));
    m_stopEntry->setObjectName(QStringLiteral("mnuFileStopScript"));
    connect(m_stopEntry, &QAction::triggered, this, &ScriptCommands::stop);
    updateEntries();
}

void ScriptCommands::chooseAndRun()
{
    const QString path = QFileDialog::getOpenFileName(m_window, tr("Run Script"), m_folder,
                                                      tr("Scripts (*.js);;All files (*)"));
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    run(path);
}

bool ScriptCommands::run(const QString &path)
{
    const QString refusal = m_script.start(path);
    if (!refusal.isEmpty())
        showProgramMessage(m_window, refusal);
    else
        showLog(tr("Script %1 started").arg(QFileInfo(path).fileName()));
    updateEntries();
    return refusal.isEmpty();
}

void ScriptCommands::stop()
{
    m_script.stop();
}

void ScriptCommands::showLog(const QString &text)
{
    m_window->statusBar()->showMessage(text, 10000);
    std::fputs(qPrintable(text + u'\n'), stderr);
}

void ScriptCommands::onFinished(const ScriptOutcome &outcome)
{
    delete m_stuckQuestion.data();
    updateEntries();
    showLog(outcome.message);
    if (!outcome.ok && !outcome.stopped)
        showProgramMessage(m_window, tr("The script stopped with an error."), outcome.message);
}

void ScriptCommands::offerStop()
{
    if (m_stuckQuestion)
        return;
    auto *box = new QMessageBox(QMessageBox::Question, programTitle(),
                                tr("The script %1 has run for %2 s without sending, expecting or "
                                   "waiting. It may be in an endless loop.")
                                    .arg(shownText(QFileInfo(m_script.path()).fileName()))
                                    .arg(ScriptRun::stuckMs / 1000),
                                QMessageBox::NoButton, m_window);
    QPushButton *stopButton = box->addButton(tr("Stop Script"), QMessageBox::AcceptRole);
    box->addButton(tr("Let It Run"), QMessageBox::RejectRole);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::buttonClicked, this, [this, stopButton](QAbstractButton *button) {
        if (button == stopButton)
            stop();
    });
    m_stuckQuestion = box;
    box->open();
}

void ScriptCommands::updateEntries()
{
    if (!m_runEntry)
        return;
    m_runEntry->setEnabled(!m_script.isRunning());
    m_stopEntry->setEnabled(m_script.isRunning());
}

#include "moc_script_commands.cpp"

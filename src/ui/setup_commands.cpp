#include "ui/setup_commands.h"

#include "devices/capture_session.h"
#include "devices/setup_file.h"
#include "ui/channel_group.h"
#include "ui/display_window.h"
#include "ui/program_message.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>

namespace {

QString fileFilter()
{
    return QObject::tr("VarnokTerm setups (*.%1)").arg(QLatin1String(SetupFile::suffix));
}

// What the window shows for each channel now.
std::array<ChannelChoices, 2> choicesShown(DisplayControls &controls)
{
    std::array<ChannelChoices, 2> choices;
    for (int n : {1, 2}) {
        const ChannelGroup &group = controls.group(n);
        ChannelChoices &c = choices[size_t(n - 1)];
        c.port = group.cmbPort->currentText();
        if (group.txtHost) {
            c.host = group.txtHost->text();
            c.socket = group.txtPort->text();
        }
        c.on = group.channel().isOn();
    }
    return choices;
}

// The controls follow the values a setup gave the channel.
void showChoices(ChannelGroup &group, const ChannelChoices &choices)
{
    const ChannelModes &modes = group.channel().modes();
    group.cmbPort->setCurrentIndex(group.cmbPort->findText(choices.port));
    group.cmbPort->setEditText(choices.port);
    if (group.txtHost) {
        group.txtHost->setText(choices.host);
        group.txtPort->setText(choices.socket);
    }
    for (QWidget *field : group.tcpFields())
        field->setVisible(choices.port == QLatin1String("TCP"));
    QRadioButton *format[] = {group.optASCII, group.optDec, group.optHex};
    format[int(modes.format)]->setChecked(true);
    QRadioButton *display[] = {group.optRT, group.optTO, group.optChar};
    display[int(modes.display)]->setChecked(true);
    (modes.transmit == TransmitMode::RealTime ? group.optLive : group.optCR)->setChecked(true);
    group.chkHex->setChecked(modes.hexEntry);
}

} // namespace

SetupCommands::SetupCommands(CaptureSession &session, DisplayWindow *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
{}

void SetupCommands::addEntries(QMenu *file)
{
    QAction *open = file->addAction(tr("&Open Setup..."), this, &SetupCommands::chooseAndOpen);
    open->setObjectName(QStringLiteral("mnuFileOpenSetup"));
    QAction *save = file->addAction(tr("Save Setup &As..."), this, &SetupCommands::chooseAndSave);
    save->setObjectName(QStringLiteral("mnuFileSaveSetup"));
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
    saveSetup(path);
}

void SetupCommands::chooseAndOpen()
{
    const QString path =
        QFileDialog::getOpenFileName(m_window, tr("Open Setup"), m_folder,
                                     fileFilter() + QStringLiteral(";;") + tr("All files (*)"));
    if (path.isEmpty())
        return;
    m_folder = QFileInfo(path).absolutePath();
    openSetup(path);
}

bool SetupCommands::saveSetup(const QString &path)
{
    if (!m_window->controls())
        return false;
    QString error;
    if (SetupFile::save(path, m_session, choicesShown(*m_window->controls()), &error))
        return true;
    showProgramMessage(m_window, tr("The setup could not be saved to %1.").arg(path), error);
    return false;
}

bool SetupCommands::openSetup(const QString &path)
{
    DisplayControls *controls = m_window->controls();
    if (!controls)
        return false;
    // A file that is not a setup leaves the running capture alone.
    const SetupFile::Contents contents = SetupFile::read(path);
    if (!contents.error.isEmpty()) {
        showProgramMessage(m_window, tr("The setup %1 could not be opened.").arg(path),
                           contents.error);
        return false;
    }
    for (int n : {1, 2}) {
        ChannelGroup &group = controls->group(n);
        group.channel().switchOff();
        group.optOff->setChecked(true);
    }
    std::array<ChannelChoices, 2> choices = choicesShown(*controls);
    const SetupFile::Reading reading = SetupFile::apply(contents, m_session, choices);
    if (!reading.error.isEmpty()) {
        showProgramMessage(m_window, tr("The setup %1 could not be opened.").arg(path),
                           reading.error);
        return false;
    }
    for (int n : {1, 2})
        showChoices(controls->group(n), choices[size_t(n - 1)]);
    if (!reading.clean()) {
        showProgramMessage(
            m_window,
            tr("Some values of the setup %1 were not used.").arg(QFileInfo(path).fileName()),
            SetupFile::summary(reading));
    }
    // Through the switches, so a failure is reported as when clicked.
    for (int n : {1, 2}) {
        if (choices[size_t(n - 1)].on)
            controls->group(n).optOn->click();
    }
    return true;
}

#include "ui/last_setup.h"

#include "devices/capture_session.h"
#include "devices/channel.h"
#include "ui/setup_commands.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString rememberKey = QStringLiteral("RememberSetupOnExit");

QString configFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/varnokterm");
}

QString sentLinesGroup(const Channel &channel)
{
    return QStringLiteral("Channel%1").arg(channel.number());
}

const QString sentLinesKey = QStringLiteral("Lines");

} // namespace

LastSetup::LastSetup(SetupCommands &commands, CaptureSession &session, QObject *parent)
    : QObject(parent)
    , m_commands(commands)
    , m_session(session)
{}

QString LastSetup::settingsPath()
{
    return configFolder() + QStringLiteral("/varnokterm.conf");
}

QString LastSetup::sentLinesPath()
{
    return configFolder() + QStringLiteral("/sent-lines.conf");
}

QString LastSetup::path()
{
    return configFolder() + QStringLiteral("/last.vterm");
}

bool LastSetup::remembered() const
{
    return QSettings(settingsPath(), QSettings::IniFormat).value(rememberKey, false).toBool();
}

void LastSetup::setRemembered(bool on)
{
    QSettings(settingsPath(), QSettings::IniFormat).setValue(rememberKey, on);
}

void LastSetup::addEntry(QMenu *file)
{
    m_switch = file->addAction(tr("&Remember Setup on Exit"));
    m_switch->setObjectName(QStringLiteral("mnuFileRememberSetup"));
    m_switch->setCheckable(true);
    m_switch->setChecked(remembered());
    connect(m_switch, &QAction::toggled, this, &LastSetup::setRemembered);
}

void LastSetup::restore()
{
    if (!remembered())
        return;
    restoreSentLines();
    if (QFileInfo::exists(path()))
        m_commands.openSetup(path());
}

void LastSetup::restoreSentLines()
{
    QSettings file(sentLinesPath(), QSettings::IniFormat);
    for (Channel *channel : m_session.channels()) {
        // The INI file reads a list of one line back as that line: both
        // read as a list.
        channel->sentLines().setLines(
            file.value(sentLinesGroup(*channel) + u'/' + sentLinesKey).toStringList());
    }
}

void LastSetup::saveSentLines()
{
    QSettings file(sentLinesPath(), QSettings::IniFormat);
    file.clear();
    for (const Channel *channel : m_session.channels()) {
        file.setValue(sentLinesGroup(*channel) + u'/' + sentLinesKey,
                      QVariant::fromValue(channel->sentLines().lines()));
    }
}

void LastSetup::saveOnExit()
{
    if (m_saved || !remembered())
        return;
    m_saved = true;
    QDir().mkpath(configFolder());
    m_commands.saveSetup(path());
    saveSentLines();
}

#include "moc_last_setup.cpp"

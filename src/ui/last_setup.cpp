#include "ui/last_setup.h"

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

QString settingsPath()
{
    return configFolder() + QStringLiteral("/varnokterm.conf");
}

} // namespace

LastSetup::LastSetup(SetupCommands &commands, QObject *parent)
    : QObject(parent)
    , m_commands(commands)
{}

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
    if (remembered() && QFileInfo::exists(path()))
        m_commands.openSetup(path());
}

void LastSetup::saveOnExit()
{
    if (m_saved || !remembered())
        return;
    m_saved = true;
    QDir().mkpath(configFolder());
    m_commands.saveSetup(path());
}

#include "moc_last_setup.cpp"

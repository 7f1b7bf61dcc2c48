#include "ui/link_speed_menu.h"

#include "devices/channel.h"
#include "devices/device_line_settings.h"
#include "devices/line_settings.h"
#include "ui/program_message.h"

#include <QAction>
#include <QActionGroup>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>

#include <utility>

namespace {

// Each with a digit of its own as its key: ten speeds for ten digits.
constexpr std::pair<qint32, const char *> commonSpeeds[] = {
    {2400, "&2400"},     {4800, "&4800"},    {9600, "&9600"},     {19200, "1920&0"},
    {38400, "3&8400"},   {57600, "5&7600"},  {115200, "11&5200"}, {230400, "2&30400"},
    {460800, "4&60800"}, {921600, "92&1600"}};

// The speed of the settings in use; 0 when they can't be read.
qint32 speedInUse(const Channel &channel)
{
    const LineSettingsParse parsed = parseLineSettings(channel.serialSettings());
    return parsed.ok ? parsed.settings.baudRate : 0;
}

} // namespace

LinkSpeedMenu::LinkSpeedMenu(Channel &channel, QWidget *owner)
    : QObject(owner)
    , m_channel(channel)
    , m_owner(owner)
    , m_menu(new QMenu(tr("&Speed"), owner))
    , m_speeds(new QActionGroup(this))
{
    const int n = channel.number();
    m_menu->setObjectName(QStringLiteral("mnuLinkSpeed%1").arg(n));
    m_menu->setToolTipsVisible(true);
    for (const auto &common : commonSpeeds) {
        const qint32 speed = common.first; // a lambda can't take a structured binding in clang 14
        QAction *entry = m_menu->addAction(QLatin1String(common.second));
        entry->setObjectName(QStringLiteral("mnuLinkSpeed%1_%2").arg(n).arg(speed));
        entry->setCheckable(true);
        entry->setData(speed);
        m_speeds->addAction(entry);
        connect(entry, &QAction::triggered, this, [this, speed] { chooseSpeed(speed); });
    }
    m_menu->addSeparator();
    m_other = m_menu->addAction(tr("&Other..."));
    m_other->setObjectName(QStringLiteral("mnuLinkSpeedOther%1").arg(n));
    m_other->setCheckable(true);
    m_speeds->addAction(m_other);
    connect(m_other, &QAction::triggered, this, &LinkSpeedMenu::askForOtherSpeed);
    connect(&channel, &Channel::linkChanged, this, &LinkSpeedMenu::showState);
    showState();
}

bool LinkSpeedMenu::chooseSpeed(qint32 speed)
{
    LineSettings settings = parseLineSettings(m_channel.serialSettings()).settings;
    settings.baudRate = speed;
    const QString refused = m_channel.changeSettings(lineSettingsText(settings));
    showState(); // the check goes to the speed kept, or the new one
    if (refused.isEmpty())
        return true;
    showProgramMessage(m_owner->window(),
                       tr("Comm Port %1 keeps its speed: %2 baud was not taken.")
                           .arg(m_channel.number())
                           .arg(speed),
                       refused);
    return false;
}

void LinkSpeedMenu::askForOtherSpeed()
{
    bool ok = false;
    const QPointer<LinkSpeedMenu> alive(this); // its view may go while the question waits
    const QString typed = QInputDialog::getText(
        m_owner->window(), tr("Speed"),
        tr("Comm Port %1's speed in baud (any whole number the device takes):")
            .arg(m_channel.number()),
        QLineEdit::Normal, QString::number(speedInUse(m_channel)), &ok);
    if (!alive)
        return;
    if (!ok) {
        showState();
        return;
    }
    // The typed speed is checked as the settings string's speed is.
    const LineSettingsParse parsed = parseLineSettings(typed.trimmed() + QStringLiteral(",n,8,1"));
    if (!parsed.ok || typed.contains(u',')) {
        showState();
        showProgramMessage(m_owner->window(), tr("That speed can't be used."),
                           parsed.ok
                               ? tr("the speed \"%1\" is not a positive whole number").arg(typed)
                               : parsed.error);
        return;
    }
    chooseSpeed(parsed.settings.baudRate);
}

void LinkSpeedMenu::showState()
{
    const Channel::LinkAbilities link = m_channel.linkAbilities();
    const bool canChange = m_channel.isOn() && !link.tcp;
    m_menu->setEnabled(canChange);
    m_menu->menuAction()->setToolTip(canChange ? QString()
                                     : link.tcp
                                         ? tr("A TCP connection has no speed here")
                                         : tr("Only while the channel is on a serial device"));
    const qint32 speed = speedInUse(m_channel);
    QAction *inUse = m_other;
    for (QAction *entry : m_speeds->actions()) {
        if (entry != m_other && entry->data().toInt() == speed)
            inUse = entry;
    }
    inUse->setChecked(true);
    m_other->setText(inUse == m_other && speed > 0 ? tr("&Other (%1)...").arg(speed)
                                                   : tr("&Other..."));
}

#include "moc_link_speed_menu.cpp"

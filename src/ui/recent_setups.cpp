#include "ui/recent_setups.h"

#include "core/shown_text.h"
#include "ui/last_setup.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

const QString recentSetupsKey = QStringLiteral("RecentSetups");

} // namespace

RecentSetups::RecentSetups(std::function<void(const QString &)> open, QObject *parent)
    : QObject(parent)
    , m_open(std::move(open))
{}

void RecentSetups::addMenu(QMenu *file)
{
    m_menu = file->addMenu(tr("Re&cent Setups"));
    m_menu->setObjectName(QStringLiteral("mnuFileRecentSetups"));
    // Filled as it opens: another run of the program may have changed the list.
    connect(m_menu, &QMenu::aboutToShow, this, &RecentSetups::fillMenu);
    fillMenu();
}

QStringList RecentSetups::paths() const
{
    QStringList paths = QSettings(LastSetup::settingsPath(), QSettings::IniFormat)
                            .value(recentSetupsKey)
                            .toStringList();
    paths.removeAll(QString());
    paths.removeDuplicates();
    return paths.mid(0, kept);
}

void RecentSetups::setPaths(const QStringList &paths)
{
    QDir().mkpath(QFileInfo(LastSetup::settingsPath()).path());
    QSettings settings(LastSetup::settingsPath(), QSettings::IniFormat);
    if (paths.isEmpty())
        settings.remove(recentSetupsKey);
    else
        settings.setValue(recentSetupsKey, paths);
}

void RecentSetups::add(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = this->paths();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    setPaths(paths.mid(0, kept));
}

void RecentSetups::fillMenu()
{
    if (!m_menu)
        return;
    m_menu->clear();
    const QStringList paths = this->paths();
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &path = paths.at(i);
        // "&" in a name would make a mnemonic; the name is shown as written.
        QString caption = shownText(QDir::toNativeSeparators(path));
        caption.replace(u'&', QStringLiteral("&&"));
        if (i < 9)
            caption = QStringLiteral("&%1 ").arg(i + 1) + caption;
        QAction *entry = m_menu->addAction(caption);
        entry->setObjectName(QStringLiteral("mnuFileRecentSetup%1").arg(i + 1));
        connect(entry, &QAction::triggered, this, [this, path] { m_open(path); });
    }
    if (!paths.isEmpty())
        m_menu->addSeparator();
    QAction *clear = m_menu->addAction(tr("&Clear"));
    clear->setObjectName(QStringLiteral("mnuFileRecentSetupsClear"));
    clear->setEnabled(!paths.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        setPaths({});
        fillMenu();
    });
}

#include "moc_recent_setups.cpp"

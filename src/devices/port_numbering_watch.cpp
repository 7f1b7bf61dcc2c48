#include "devices/port_numbering_watch.h"

#include "devices/port_numbering.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString sysTtyFolder = QStringLiteral("/sys/class/tty");

} // namespace

PortListWatch::PortListWatch(QObject *parent)
    : QObject(parent)
    , m_seen(look(PortNumbering::namesFolder(), sysTtyFolder))
{
    m_timer.setInterval(lookMs);
    connect(&m_timer, &QTimer::timeout, this, &PortListWatch::lookAgain);
    m_timer.start();
}

QStringList PortListWatch::look(const QString &namesFolder, const QString &ttyFolder)
{
    QStringList seen;
    // A name that leads elsewhere (another adapter plugged into its place)
    // counts as a change too.
    for (const QString &path : PortNumbering::namesIn(namesFolder))
        seen << path + QStringLiteral(" -> ") + QFileInfo(path).symLinkTarget();
    seen << QDir(ttyFolder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
    return seen;
}

void PortListWatch::lookAgain()
{
    QStringList seen = look(PortNumbering::namesFolder(), sysTtyFolder);
    if (seen == m_seen)
        return;
    m_seen = std::move(seen);
    emit changed();
}

#include "moc_port_numbering_watch.cpp"

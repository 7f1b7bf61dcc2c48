#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// Tells when a serial device may have come or gone: once a second it looks
// at the names in the by-id folder (PortNumbering::namesFolder()), where
// each leads, and the devices of /sys/class/tty, and says changed() when
// any of that differs from the last look. A look lists two folders, far
// cheaper than asking the system about every port, which the port lists do
// only when told.
class PortListWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int lookMs = 1000;

    explicit PortListWatch(QObject *parent = nullptr);

    // What one look sees, in a form to compare.
    static QStringList look(const QString &namesFolder, const QString &ttyFolder);

signals:
    void changed();

private:
    void lookAgain();

    QTimer m_timer;
    QStringList m_seen;
};

#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QMenu;

// File > Recent Setups: the last setup files opened or saved through the
// file dialogs, newest first, at most `kept`, each named once. The list is
// kept in the program's settings (varnokterm.conf), so it outlives the run
// whatever Remember Setup says; Clear empties it. An entry opens its file
// through `open`.
class RecentSetups : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype kept = 8;

    RecentSetups(std::function<void(const QString &)> open, QObject *parent);

    void addMenu(QMenu *file);
    // A setup file opened or saved: it moves to the top.
    void add(const QString &path);
    QStringList paths() const;

private:
    void fillMenu();
    void setPaths(const QStringList &paths);

    std::function<void(const QString &)> m_open;
    QMenu *m_menu = nullptr;
};

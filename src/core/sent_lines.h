#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The lines a channel's transmit line has sent in line mode, newest last,
// and the operator's walk through them (Up, Down, Ctrl+R). At most `kept`
// lines are kept; the oldest go first. A line sent again is moved to the
// newest place rather than kept twice, so a walk never shows the same line
// twice in a row. Widget-free: the transmit line only shows what it says.
class SentLines
{
public:
    static constexpr qsizetype kept = 500;

    // A line just sent. An empty line is not kept. Ends any walk.
    void add(const QString &line);

    // One step back (Up). The first step of a walk remembers `typed`, the
    // line being typed, so that stepping forward past the newest gives it
    // back. Nothing when there is no older line.
    std::optional<QString> older(const QString &typed);
    // One step forward (Down); past the newest, the line that was being
    // typed. Nothing when no walk is under way.
    std::optional<QString> newer();
    // The next older line holding `term` (any case), searched from where
    // the walk stands (Ctrl+R, again for the one before it). Nothing when
    // no older line holds it; the walk then stays where it was.
    std::optional<QString> search(const QString &typed, const QString &term);
    // The operator typed or left: the next step starts from the newest again.
    void endWalk() { m_position = -1; }

    QStringList lines() const { return m_lines; }
    // Lines as add() takes them, oldest first (a saved history read back).
    void setLines(const QStringList &lines);

private:
    QStringList m_lines;
    qsizetype m_position = -1; // the line shown by the walk; -1: none
    QString m_typed;
};

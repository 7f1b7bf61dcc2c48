#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>

// The exact text of a receive pane: one char per received byte (Latin-1),
// kept compactly, with an index of where each line starts. CR LF, a lone LF
// and a lone CR each end one line, also when the CR and the LF come in
// different appends.
//
// Appending costs time in proportion to the piece, never to the text already
// held. Views listen to the change signals and coalesce them.
class PaneText : public QObject
{
    Q_OBJECT

public:
    explicit PaneText(QObject *parent = nullptr);

    const QByteArray &text() const { return m_text; }
    qsizetype size() const { return m_text.size(); }
    bool isEmpty() const { return m_text.isEmpty(); }

    void append(QByteArrayView piece);
    void setText(const QByteArray &text);
    void clear() { setText({}); }

    // Lines: there is always at least one (possibly empty) line.
    qsizetype lineCount() const { return m_lineStarts.size(); }
    qsizetype lineStart(qsizetype line) const { return m_lineStarts.at(line); }
    // One past the line's last character, its terminator excluded.
    qsizetype lineEnd(qsizetype line) const;
    // The line that holds text position `pos` (0..size()).
    qsizetype lineAt(qsizetype pos) const;

signals:
    // Text from `from` on is new. The line holding `from` may have grown, and
    // with a CR LF split across appends, the previous last line may have
    // lost its start.
    void appended(qsizetype from);
    // The whole text was replaced.
    void reset();

private:
    void indexLines(qsizetype from);

    QByteArray m_text;
    QList<qsizetype> m_lineStarts;
};

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

// What File > Print puts on paper, as lines, before any printer is involved.
namespace PrintLayout {

inline constexpr int leadingBlankLines = 4;
inline constexpr int sliceLength = 60;

// A printed text ends in a line break of its own, and every CR LF, lone LF
// or lone CR inside it starts a new line: "a\r\nb" gives "a", "b".
QStringList splitLines(const QString &text);

// The lines of one job: the blank lines at the top, then the pane's text,
// either whole (the "ASCII" layout) or cut into slices of sliceLength
// characters that together hold every character. Each piece keeps its own
// line breaks.
QStringList printLines(const QString &paneText, bool wholeText);

// The lines cut into pages of linesPerPage lines (at least one per page).
QList<QStringList> pages(const QStringList &lines, int linesPerPage);

} // namespace PrintLayout

// The printed lines of a pane's text made a few at a time, so a big pane
// prints without being copied whole and without holding the window: the
// same lines as PrintLayout::printLines(), each then wrapped to `columns`
// characters (0: never wrapped) so every character reaches the paper.
class PrintLines
{
public:
    // Reads up to `length` bytes of the text from `pos`; fewer at its end.
    using Reader = std::function<QByteArray(qsizetype pos, qsizetype length)>;

    PrintLines(Reader read, qsizetype size, bool wholeText, int columns);

    // Something printed before each text line's first row (its time, say),
    // `width` characters wide, and one blank; the line's further rows get
    // blanks instead, and rows are that much narrower. Lines are counted as
    // the pane counts them, from 0.
    using LinePrefix = std::function<QString(qsizetype line)>;
    void setLinePrefix(LinePrefix prefix, int width);

    bool atEnd();
    QString next();
    // How much of the text has been laid out, for progress.
    qsizetype consumed() const { return m_pos; }
    qsizetype size() const { return m_size; }

private:
    void produce();
    void produceWhole(const QByteArray &block, bool last);
    void emitLine(const QByteArray &line);
    void pushRow(const QByteArray &row);
    void endLine();
    int rowColumns() const;

    Reader m_read;
    qsizetype m_size;
    bool m_wholeText;
    int m_columns;
    qsizetype m_pos = 0;
    QByteArray m_carry; // the start of a line not yet ended
    bool m_finished = false;
    std::deque<QString> m_ready;
    LinePrefix m_prefix;
    int m_prefixWidth = 0;
    qsizetype m_line = 0;
    bool m_inLine = false; // a row of line m_line is out
};

// The transmit line's recall of sent lines in line mode (see transmit_edit.h).
#include "ui/transmit_edit.h"

#include "core/channel_state.h"
#include "core/sent_lines.h"
#include "core/transmit_line.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>

bool TransmitEdit::recallKey(const QKeyEvent &event)
{
    if (!m_modes || !m_lines || m_modes->transmit != TransmitMode::AfterCr)
        return false;
    SentLines &lines = *m_lines;
    const int key = event.key();
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    const bool search = mods == Qt::ControlModifier && key == Qt::Key_R;
    if (!search)
        m_searchTerm.clear();
    if (mods == Qt::NoModifier && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        const std::optional<QString> line =
            key == Qt::Key_Up ? lines.older(lastLine()) : lines.newer();
        if (line)
            putInPlaceOfLastLine(*line);
        return true;
    }
    if (search) {
        // The first Ctrl+R takes what is typed as the term; the next ones
        // keep it, though the line now shows what was found.
        if (m_searchTerm.isEmpty())
            m_searchTerm = lastLine();
        if (const std::optional<QString> line = lines.search(lastLine(), m_searchTerm))
            putInPlaceOfLastLine(*line);
        return true;
    }
    // Modifier keys alone (Ctrl pressed for the next Ctrl+R) leave the walk
    // where it is; any other key starts the next one from the newest line.
    if (key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Meta)
        return false;
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        lines.add(lastLine());
    else
        lines.endWalk();
    return false;
}

QString TransmitEdit::lastLine() const
{
    return document()->lastBlock().text();
}

void TransmitEdit::putInPlaceOfLastLine(const QString &line)
{
    const QString old = lastLine();
    QTextCursor cursor(document()->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(line);
    setTextCursor(cursor);
    ensureCursorVisible();
    QByteArray codes(codesOfText(old).size(), TransmitLine::backspace);
    codes += codesOfText(line);
    if (!codes.isEmpty())
        emit typed(codes);
}

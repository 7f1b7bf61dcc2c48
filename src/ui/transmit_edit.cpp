#include "ui/transmit_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

#include <utility>

TransmitEdit::TransmitEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QByteArray TransmitEdit::codesOfKey(const QKeyEvent &event)
{
    const int key = event.key();
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return QByteArray(1, '\r');
    if (key == Qt::Key_Backspace)
        return QByteArray(1, '\b');
    if (key == Qt::Key_Escape)
        return QByteArray(1, '\x1b');
    // Delete edits the pane only; Tab moves the focus.
    if (key == Qt::Key_Delete || key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return {};
    // Paste is typed through insertFromMimeData; its Ctrl+V must not also
    // send a control code.
    if (event.matches(QKeySequence::Paste))
        return {};
    // Ctrl+letter types its control code. The key is read, not the text:
    // some platforms give the plain letter as the text.
    if (mods == Qt::ControlModifier && key >= Qt::Key_A && key <= Qt::Key_Z)
        return QByteArray(1, char(key - Qt::Key_A + 1));
    if (mods & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))
        return {};
    return codesOfText(event.text());
}

QByteArray TransmitEdit::codesOfText(const QString &text)
{
    QByteArray codes;
    codes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator ||
            c == QChar::LineSeparator) {
            codes.append('\r');
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            codes.append('?');
            ++i;
        } else {
            codes.append(c < 256 ? char(c) : '?');
        }
    }
    return codes;
}

void TransmitEdit::setKeyTranslator(std::function<QByteArray(const QKeyEvent &)> translate)
{
    m_translate = std::move(translate);
}

bool TransmitEdit::sendTranslated(const QKeyEvent &event)
{
    const QByteArray bytes = m_translate ? m_translate(event) : QByteArray();
    if (bytes.isEmpty())
        return false;
    emit keySent(bytes);
    return true;
}

bool TransmitEdit::event(QEvent *event)
{
    // Tab moves the focus before a key press reaches keyPressEvent.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && sendTranslated(*key))
            return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::ControlModifier && !codesOfKey(*key).isEmpty()) {
            event->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void TransmitEdit::keyPressEvent(QKeyEvent *event)
{
    if (sendTranslated(*event))
        return; // sent, and no edit of the line
    if (recallKey(*event))
        return;
    const QByteArray codes = codesOfKey(*event);
    QPlainTextEdit::keyPressEvent(event); // the key reaches the pane unchanged
    if (!codes.isEmpty())
        emit typed(codes);
}

void TransmitEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString committed = event->commitString();
    QPlainTextEdit::inputMethodEvent(event);
    if (!committed.isEmpty())
        emit typed(codesOfText(committed));
}

void TransmitEdit::insertFromMimeData(const QMimeData *source)
{
    QPlainTextEdit::insertFromMimeData(source);
    if (source && source->hasText()) {
        const QByteArray codes = codesOfText(source->text());
        if (!codes.isEmpty())
            emit typed(codes);
    }
}

#include "moc_transmit_edit.cpp"

#pragma once

#include <QByteArray>
#include <QPlainTextEdit>

// A channel's transmit line. It edits like any text pane and reports what the
// operator types as character codes (one byte each, Latin-1; a character
// outside Latin-1 as "?"). Pasted text and text committed by an input method
// count as typed. While it has the focus, a Ctrl+letter types its control
// code even where a window shortcut uses the same keys (Ctrl+Q is XON, not
// Exit; Ctrl+S is XOFF).
class TransmitEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TransmitEdit(QWidget *parent = nullptr);

    // The codes a key press types, or nothing for keys that type no
    // character (arrows, Delete, function keys, editing shortcuts).
    static QByteArray codesOfKey(const QKeyEvent &event);
    // The codes of pasted text: a line break, whatever its form, is typed as
    // Enter (13).
    static QByteArray codesOfText(const QString &text);

signals:
    void typed(const QByteArray &codes);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // Characters an input method, a dead key or a compose sequence commits
    // count as typed, like keys.
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
};

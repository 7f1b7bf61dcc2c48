#pragma once

#include <QByteArray>
#include <QPlainTextEdit>
#include <QString>

#include <functional>

struct ChannelModes;
class SentLines;

// A channel's transmit line. It edits like any text pane and reports what the
// operator types as character codes (one byte each, Latin-1; a character
// outside Latin-1 as "?"). Pasted text and text committed by an input method
// count as typed. While it has the focus, a Ctrl+letter types its control
// code even where a window shortcut uses the same keys (Ctrl+Q is XON, not
// Exit; Ctrl+S is XOFF).
//
// In line mode (Transmit "After CR") it keeps the channel's sent lines: Enter
// adds the line being typed (the last one) to them, Up and Down put an
// earlier line in its place, and Ctrl+R puts the newest earlier line holding
// what was typed (again: the one before that). A line put in place is typed
// as far as the channel is concerned: backspaces take the old line off the
// transmit record and the new line's characters go on. In Real Time these
// keys do what they always do.
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

    // The channel's modes say whether the keys recall (its transmit mode),
    // `lines` are what they recall. Unset: no recall.
    void setRecallFrom(const ChannelModes *modes, SentLines *lines)
    {
        m_modes = modes;
        m_lines = lines;
    }

    // Keys that send what a terminal sends rather than edit the line:
    // `translate` gives a key's bytes, or nothing for a key to take as
    // usual. Such a key (Tab too, which otherwise moves the focus) goes out
    // through keySent() alone. No translator: every key as usual.
    void setKeyTranslator(std::function<QByteArray(const QKeyEvent &)> translate);

signals:
    void typed(const QByteArray &codes);
    void keySent(const QByteArray &bytes);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // Characters an input method, a dead key or a compose sequence commits
    // count as typed, like keys.
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    // Handles a key of the sent-line recall; false for a key it leaves to
    // the pane (Enter after adding the line).
    bool recallKey(const QKeyEvent &event);
    QString lastLine() const;
    void putInPlaceOfLastLine(const QString &line);

    const ChannelModes *m_modes = nullptr;
    SentLines *m_lines = nullptr;
    QString m_searchTerm; // what Ctrl+R looks for while Ctrl+R repeats

    // The key's bytes from the translator, sent; false if it gave none.
    bool sendTranslated(const QKeyEvent &event);

    std::function<QByteArray(const QKeyEvent &)> m_translate;
};

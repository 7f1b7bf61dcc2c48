#pragma once

#include "core/pane/terminal_grid.h"
#include "core/pane/terminal_input_guard.h"
#include "core/pane/terminal_style.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

struct VTerm;

// The Terminal format's screen: received bytes interpreted as a VT100/ANSI
// terminal would (libvterm's parser and state layer do the interpreting,
// the cells are kept in a TerminalGrid): UTF-8 text, colours and
// attributes, CR and backspace that overwrite, cursor moves and erases
// within the screen, scrolling.
//
// What it yields:
//   - the visible screen, rows of cells (cell, rowText), and the cursor;
//   - each line that scrolls off the top, at the width it had
//     (scrolledOff): the owner keeps it (the pane's history);
//   - the answers a terminal gives to the device's status queries (cursor
//     position, device attributes), to be sent back (answered).
// changed() follows each feed that altered what the screen shows.
//
// The screen has a fixed size (24 rows of 80 columns unless set): what a
// serial console assumes of a terminal it knows nothing about. A line wider
// than that wraps, as on such a terminal. Qt Core only; no window.
class TerminalScreen : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultRows = 24;
    static constexpr int kDefaultColumns = 80;

    explicit TerminalScreen(QObject *parent = nullptr);
    ~TerminalScreen() override;

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    // Interprets `bytes`; an escape sequence or a UTF-8 character split
    // between two feeds is taken whole.
    void feed(QByteArrayView bytes);
    // A blank screen, the cursor home, every mode as at the start; nothing
    // goes to scrolledOff.
    void reset();

    TerminalCell cell(int row, int column) const;
    // The row's characters (a double-width one once), without the blanks at
    // its end.
    QString rowText(int row) const;
    // The row as it would scroll off now.
    TerminalLine line(int row) const;
    // How many rows, from the top, hold something other than blanks.
    int usedRows() const;
    int cursorRow() const;
    int cursorColumn() const;
    bool isCursorVisible() const { return m_cursorVisible; }

    // What a terminal sends for `key` (a Qt::Key) with `modifiers`: the
    // arrows, Home, End, Page Up/Down, Insert, Delete, F1-F12, Tab, Backtab
    // and Backspace (DEL), in the modes the device set (an application's
    // cursor keys send ESC O A rather than ESC [ A). Empty for other keys:
    // characters, Enter and Ctrl+letters are typed as in any format.
    QByteArray keyBytes(int key, Qt::KeyboardModifiers modifiers);

signals:
    void scrolledOff(const TerminalLine &line);
    void answered(const QByteArray &bytes);
    void changed();

private:
    struct StateCallbacks;
    friend struct StateCallbacks;

    void build();
    // Hooks the cells to libvterm's state layer, and resets it.
    void attachState();
    void takeOutput();
    void input(QByteArrayView bytes);

    // Plain text's fast path (terminal_screen_plain.cpp): a run of
    // printable ASCII goes straight into the cells, libvterm writing its
    // first and last characters only.
    struct PlainRun
    {
        bool open = false;
        int row = 0;
        int cursor = 0; // libvterm's cursor column, where the run began
        int next = 0;   // the column its next character goes to
        int end = 0;    // the first column it may not write
        bool isProtected = false;
    };
    // The region's rows and columns, as libvterm answers them.
    struct Margins
    {
        bool known = false;
        int top = 0, bottom = 0, left = 0, right = 0;
    };
    enum class PlainStart
    {
        Opened,
        RowEnd, // the character ended its row: the next one wraps
        Refused
    };
    struct Glyph
    {
        int row = -1, column = -1;
        char32_t character = 0;
        int width = 0;
        bool combined = false;
        bool isProtected = false;
    };
    void writeText(QByteArrayView text);
    void writeSequences(QByteArrayView bytes);
    void writePlain(const char *text, qsizetype count);
    bool takePen(QByteArrayView bytes);
    void flushPen();
    PlainStart openPlainRun(char first);
    void closePlainRun();
    bool knowMargins();

    PlainRun m_plain;
    Margins m_margins;
    Glyph m_lastGlyph;       // what libvterm last wrote
    quint64 m_glyphs = 0;    // how many glyphs it wrote so far
    bool m_inserted = false; // a glyph pushed the rest of its row right

    VTerm *m_vterm = nullptr;
    TerminalGrid m_grid;
    TerminalLine m_leaving;                 // the line scrolling off, its memory kept for the next
    TerminalStyle m_pen;                    // what a written or erased cell looks like now
    QByteArray m_penHeld;                   // pen sequences taken (takePen), for libvterm still
    bool m_penHeldIsReset = false;          // they are one reset, nothing else
    bool m_libvtermPenPlain = true;         // libvterm's pen was reset last
    bool m_libvtermBetweenSequences = true; // no sequence of libvterm's open
    int m_rows = kDefaultRows;
    int m_columns = kDefaultColumns;
    bool m_cursorVisible = true;
    bool m_changed = false;
    QByteArray m_output;
    QByteArray m_heldTail; // a character's first bytes or a string's, the rest to come
    TerminalInputGuard m_inputGuard;
    int m_lastGlyphWidth = 0; // columns of the character a repeat would write
};

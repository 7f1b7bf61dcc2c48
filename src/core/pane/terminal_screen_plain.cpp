// The Terminal format's fast path for plain text. A run of printable ASCII
// goes straight into the cells with the pen's looks, where libvterm would
// take the characters one by one. libvterm still writes the run's first
// character, which shows where its cursor stands, whether a pending wrap
// moved it, whether insert mode pushes the row right and whether the pen
// protects cells; and its last one, after a cursor move to it, so that the
// cursor, a wrap pending at the row's end and the character a repeat or a
// combining mark takes are libvterm's own. SGR sequences between runs keep
// a run going: they change the pen only.
#include "core/pane/terminal_screen.h"

#include "core/pane/terminal_pen_sequences.h"

#include <vterm.h>

#include <algorithm>

namespace {

// A shorter run goes to libvterm as it is: its first and last characters
// and the cursor move cost about as much as this many characters.
constexpr qsizetype kShortestPlainRun = 8;

bool isPlainTerminalByte(char byte)
{
    return byte >= 0x20 && byte <= 0x7e;
}

// Whether `bytes` hold nothing but whole SGR sequences (ESC [ numbers m).
bool isOnlyPenSequences(QByteArrayView bytes)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 3 || bytes[at] != '\x1b' || bytes[at + 1] != '[')
            return false;
        at += 2;
        while (at < bytes.size() &&
               ((bytes[at] >= '0' && bytes[at] <= '9') || bytes[at] == ';' || bytes[at] == ':'))
            ++at;
        if (at == bytes.size() || bytes[at] != 'm')
            return false;
        ++at;
    }
    return true;
}

// The two numbers of a status report such as "1$r1;24r" (ESC P before,
// ESC \ after), `final` being its last letter.
bool terminalReportedPair(QByteArrayView answer, char final, int *first, int *second)
{
    for (qsizetype at = answer.indexOf("1$r"); at >= 0; at = answer.indexOf("1$r", at + 1)) {
        int numbers[2] = {0, 0};
        qsizetype i = at + 3;
        for (int n = 0; n < 2; ++n) {
            const qsizetype start = i;
            while (i < answer.size() && answer[i] >= '0' && answer[i] <= '9' && i - start < 6)
                numbers[n] = numbers[n] * 10 + (answer[i++] - '0');
            const char end = n == 0 ? ';' : final;
            if (i == start || i >= answer.size() || answer[i] != end)
                break;
            ++i;
            if (n == 1) {
                *first = numbers[0];
                *second = numbers[1];
                return true;
            }
        }
    }
    return false;
}

} // namespace

void TerminalScreen::writeSequences(QByteArrayView bytes)
{
    // Held back, a pen sequence would not end a sequence libvterm has open
    // (one cut at the end of the last feed, say) as it ends the guard's.
    if (m_libvtermBetweenSequences && takePen(bytes))
        return;
    if (!m_penHeld.isEmpty())
        flushPen();
    if (!isOnlyPenSequences(bytes)) {
        closePlainRun();
        m_margins.known = false; // the sequence may set them
    }
    input(bytes);
    m_libvtermBetweenSequences = m_inputGuard.isBetweenSequences();
}

// The common SGR sequences set the screen's pen here. The cells libvterm
// writes or erases take the screen's pen, not libvterm's own; that one only
// answers a status report and is kept by a cursor save. So libvterm gets the
// sequences before the next sequence of another kind (flushPen), which may
// be one of those, and not before text. A reset drops the ones before it.
bool TerminalScreen::takePen(QByteArrayView bytes)
{
    constexpr qsizetype kMostHeld = 256; // text coloured without a reset: passed on now and then
    bool reset = false;
    if (!TerminalPenSequences::apply(bytes, m_pen, &reset))
        return false;
    if (reset)
        m_penHeld.resize(0); // keeps its capacity
    else if (m_penHeld.size() > kMostHeld)
        flushPen();
    m_penHeldIsReset = bytes == QByteArrayView("\x1b[0m") || bytes == QByteArrayView("\x1b[m");
    m_penHeld.append(bytes);
    return true;
}

void TerminalScreen::flushPen()
{
    // A lone reset of a pen libvterm holds plain already changes nothing.
    const bool reset = m_penHeldIsReset;
    if (!(reset && m_libvtermPenPlain))
        vterm_input_write(m_vterm, m_penHeld.constData(), size_t(m_penHeld.size()));
    m_penHeld.resize(0); // keeps its capacity
    m_penHeldIsReset = false;
    m_libvtermPenPlain = reset;
}

void TerminalScreen::writeText(QByteArrayView text)
{
    const char *data = text.data();
    const qsizetype size = text.size();
    qsizetype from = 0; // the first byte libvterm has not had
    bool whole = true;  // libvterm holds no part of a UTF-8 character
    for (qsizetype at = 0; at < size;) {
        if (!isPlainTerminalByte(data[at])) {
            closePlainRun();
            whole = whole && uchar(data[at]) < 0x80;
            ++at;
            continue;
        }
        qsizetype end = at;
        while (end < size && isPlainTerminalByte(data[end]))
            ++end;
        // The character before a non-ASCII byte goes to libvterm with it: a
        // combining mark may join it.
        const qsizetype last = end < size && uchar(data[end]) >= 0x80 ? end - 1 : end;
        const bool start =
            last - at >= kShortestPlainRun && whole && m_inputGuard.asciiCharacterSets();
        if (last > at && (m_plain.open || start)) {
            input(text.sliced(from, at - from));
            writePlain(data + at, last - at);
            from = last;
        }
        at = end;
        whole = true;
    }
    input(text.sliced(from));
}

void TerminalScreen::writePlain(const char *text, qsizetype count)
{
    int rowEnds = 0;
    while (count > 0) {
        if (!m_plain.open) {
            const PlainStart start = openPlainRun(*text);
            ++text;
            --count;
            // A row that never wraps (no autowrap) takes one character
            // after another in its last column: libvterm does that.
            rowEnds = start == PlainStart::RowEnd ? rowEnds + 1 : 0;
            if (start == PlainStart::Refused || rowEnds > 1) {
                input(QByteArrayView(text, count));
                return;
            }
            continue;
        }
        const qsizetype room = m_plain.end - m_plain.next;
        if (room == 0) {
            closePlainRun(); // the next character goes on the next row
            continue;
        }
        const int now = int(std::min(room, count));
        TerminalGrid::Cell *cells = m_grid.row(m_plain.row) + m_plain.next;
        const TerminalStyle pen = m_pen;
        const bool isProtected = m_plain.isProtected;
        for (int i = 0; i < now; ++i) {
            cells[i].character = char32_t(uchar(text[i]));
            cells[i].style = pen;
            cells[i].isProtected = isProtected;
        }
        m_plain.next += now;
        text += now;
        count -= now;
        m_changed = true;
    }
}

TerminalScreen::PlainStart TerminalScreen::openPlainRun(char first)
{
    const quint64 glyphs = m_glyphs;
    m_inserted = false;
    input(QByteArrayView(&first, 1));
    const Glyph glyph = m_lastGlyph;
    if (m_glyphs != glyphs + 1 || m_inserted || glyph.character != char32_t(uchar(first)) ||
        glyph.width != 1 || glyph.combined)
        return PlainStart::Refused;
    VTermState *state = vterm_obtain_state(m_vterm);
    VTermPos cursor;
    vterm_state_get_cursorpos(state, &cursor);
    const int width =
        vterm_state_get_lineinfo(state, glyph.row)->doublewidth ? m_columns / 2 : m_columns;
    if (cursor.row == glyph.row && cursor.col == glyph.column && glyph.column + 1 >= width)
        return PlainStart::RowEnd;
    if (cursor.row != glyph.row || cursor.col != glyph.column + 1 || !knowMargins())
        return PlainStart::Refused;
    // In origin mode libvterm keeps the cursor within the margins: the run
    // stays where a move to its end is kept as it is.
    const Margins &margins = m_margins;
    const int end = std::min(width, margins.right);
    if (cursor.row < margins.top || cursor.row >= margins.bottom || cursor.col < margins.left ||
        cursor.col >= end)
        return PlainStart::Refused;
    m_plain = PlainRun{true, cursor.row, cursor.col, cursor.col, end, glyph.isProtected};
    return PlainStart::Opened;
}

void TerminalScreen::closePlainRun()
{
    if (!m_plain.open)
        return;
    m_plain.open = false;
    const int last = m_plain.next - 1;
    if (last < m_plain.cursor)
        return; // libvterm's cursor is where the run ends
    const TerminalGrid::Cell written = m_grid.row(m_plain.row)[last];
    // ESC [ n C, n the columns between, then the character.
    char bytes[16] = "\x1b[";
    int length = 2;
    const int move = last - m_plain.cursor;
    if (move > 0) {
        char digits[12];
        int count = 0;
        for (int n = move; n > 0; n /= 10)
            digits[count++] = char('0' + n % 10);
        while (count > 0)
            bytes[length++] = digits[--count];
        bytes[length++] = 'C';
    } else {
        length = 0;
    }
    bytes[length++] = char(written.character);
    input(QByteArrayView(bytes, length));
    Q_ASSERT(m_lastGlyph.row == m_plain.row && m_lastGlyph.column == last);
    m_grid.row(m_plain.row)[last] = written; // in the pen it was written with
}

bool TerminalScreen::knowMargins()
{
    if (m_margins.known)
        return true;
    // Status reports (DECRQSS) of the scrolling region and the left and
    // right margins: libvterm answers them without moving anything.
    const qsizetype before = m_output.size();
    input(QByteArrayView("\x1bP$qr\x1b\\\x1bP$qs\x1b\\"));
    const QByteArrayView answer = QByteArrayView(m_output).sliced(before);
    Margins margins;
    margins.known = true; // an answer not understood leaves no room for a run
    if (terminalReportedPair(answer, 'r', &margins.top, &margins.bottom) &&
        terminalReportedPair(answer, 's', &margins.left, &margins.right)) {
        --margins.top;
        --margins.left;
    } else {
        margins = Margins{true, 0, 0, 0, 0};
    }
    m_margins = margins;
    m_output.truncate(before);
    return true;
}

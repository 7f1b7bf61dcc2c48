#include "core/pane/terminal_screen.h"

#include <vterm.h>

#include <algorithm>
#include <cstring>
#include <string.h> // memrchr
#include <utility>
#include <vector>

namespace {

// How many bytes at the end of `bytes` begin a UTF-8 character that is not
// complete yet (0 to 3).
qsizetype incompleteUtf8Tail(QByteArrayView bytes)
{
    for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const uchar byte = uchar(bytes[bytes.size() - back]);
        if ((byte & 0xc0) == 0x80)
            continue; // a continuation byte: its lead is further back
        if (byte < 0xc0)
            return 0;
        const qsizetype length = byte >= 0xf0 ? 4 : byte >= 0xe0 ? 3 : 2;
        return back < length ? back : 0;
    }
    return 0;
}

// libvterm 0.1 takes a device control or operating system command string
// (ESC P, ESC ]) split between two writes as two strings and answers
// neither: where the bytes end inside one (or on the ESC that may start
// one), the string's bytes so far wait for the rest. A string that grows
// past kLongestHeldString goes on as it is.
constexpr qsizetype kLongestHeldString = 64 * 1024;

qsizetype openStringTail(QByteArrayView bytes)
{
    // A last ESC may start a string: it waits, whatever came before it.
    const qsizetype lastEscape = bytes.endsWith('\x1b') ? 1 : 0;
    const QByteArrayView before = bytes.chopped(lastEscape);
    // Runs once per batch over the whole of it: the C library's search.
    const void *found = ::memrchr(before.data(), '\x1b', size_t(before.size()));
    const qsizetype escape = found ? static_cast<const char *>(found) - before.data() : -1;
    if (escape < 0 || escape + 1 >= before.size())
        return lastEscape;
    const char kind = before[escape + 1];
    if (kind != ']' && kind != 'P')
        return lastEscape;
    for (qsizetype i = escape + 2; i < before.size(); ++i)
        if (before[i] == '\x07' || before[i] == '\x18' || before[i] == '\x1a')
            return lastEscape; // ended (BEL) or cancelled (CAN, SUB)
    const qsizetype open = bytes.size() - escape;
    return open <= kLongestHeldString ? open : lastEscape;
}

VTermKey terminalKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: // Shift comes with it
        return VTERM_KEY_TAB;
    case Qt::Key_Backspace:
        return VTERM_KEY_BACKSPACE;
    case Qt::Key_Up:
        return VTERM_KEY_UP;
    case Qt::Key_Down:
        return VTERM_KEY_DOWN;
    case Qt::Key_Left:
        return VTERM_KEY_LEFT;
    case Qt::Key_Right:
        return VTERM_KEY_RIGHT;
    case Qt::Key_Insert:
        return VTERM_KEY_INS;
    case Qt::Key_Delete:
        return VTERM_KEY_DEL;
    case Qt::Key_Home:
        return VTERM_KEY_HOME;
    case Qt::Key_End:
        return VTERM_KEY_END;
    case Qt::Key_PageUp:
        return VTERM_KEY_PAGEUP;
    case Qt::Key_PageDown:
        return VTERM_KEY_PAGEDOWN;
    default:
        break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return VTermKey(VTERM_KEY_FUNCTION(key - Qt::Key_F1 + 1));
    return VTERM_KEY_NONE;
}

VTermModifier terminalModifiersOf(Qt::KeyboardModifiers modifiers)
{
    int mod = VTERM_MOD_NONE;
    if (modifiers & Qt::ShiftModifier)
        mod |= VTERM_MOD_SHIFT;
    if (modifiers & Qt::AltModifier)
        mod |= VTERM_MOD_ALT;
    if (modifiers & Qt::ControlModifier)
        mod |= VTERM_MOD_CTRL;
    return VTermModifier(mod);
}

} // namespace

TerminalScreen::TerminalScreen(QObject *parent)
    : QObject(parent)
{
    build();
}

TerminalScreen::~TerminalScreen()
{
    vterm_free(m_vterm);
}

void TerminalScreen::build()
{
    m_vterm = vterm_new(m_rows, m_columns);
    vterm_set_utf8(m_vterm, 1);
    m_inputGuard.reset();
    m_plain = PlainRun();
    m_margins = Margins();
    m_lastGlyphWidth = 0;
    m_pen = TerminalStyle();
    m_penHeld.clear();
    m_penHeldIsReset = false;
    m_libvtermBetweenSequences = true;
    m_grid.reset(m_rows, m_columns, m_pen);
    m_grid.setReverse(false);
    attachState();
    m_libvtermPenPlain = true;
    m_cursorVisible = true;
}

void TerminalScreen::feed(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    m_changed = false;
    // libvterm would take a UTF-8 character split between two writes as two
    // bad ones: a character's start at the end waits for the rest, as does a
    // string under way (openStringTail).
    QByteArray joined;
    if (!m_heldTail.isEmpty()) {
        joined = std::exchange(m_heldTail, QByteArray());
        joined.append(bytes);
        bytes = joined;
    }
    const qsizetype held = std::max(openStringTail(bytes), incompleteUtf8Tail(bytes));
    m_heldTail = bytes.last(held).toByteArray();
    bytes.chop(held);
    if (bytes.isEmpty())
        return;
    const auto write = [this](QByteArrayView piece) {
        writeSequences(piece);
    };
    const auto writeFill = [this, &write](QByteArrayView piece) {
        const int lastWidth = m_lastGlyphWidth;
        write(piece);
        m_lastGlyphWidth = lastWidth;
    };
    const auto text = [this](QByteArrayView piece) {
        writeText(piece);
    };
    m_inputGuard.pass(bytes, {write, [this] { return m_lastGlyphWidth > 0; }, writeFill, text});
    closePlainRun();
    if (!m_penHeld.isEmpty())
        flushPen(); // libvterm's pen as the device set it, between feeds too
    takeOutput();
    if (m_changed)
        emit changed();
}

void TerminalScreen::input(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return; // the fast path leaves many empty pieces between its runs
    vterm_input_write(m_vterm, bytes.data(), size_t(bytes.size()));
}

void TerminalScreen::takeOutput()
{
    if (m_output.isEmpty())
        return;
    const QByteArray answer = std::exchange(m_output, QByteArray());
    emit answered(answer);
}

void TerminalScreen::reset()
{
    vterm_free(m_vterm);
    m_output.clear();
    m_heldTail.clear();
    build();
    emit changed();
}

TerminalCell TerminalScreen::cell(int row, int column) const
{
    return m_grid.cell(row, column);
}

TerminalLine TerminalScreen::line(int row) const
{
    return m_grid.line(row);
}

QString TerminalScreen::rowText(int row) const
{
    const std::u32string text = line(row).text;
    QString shown = QString::fromUcs4(text.data(), qsizetype(text.size()));
    while (shown.endsWith(u' '))
        shown.chop(1);
    return shown;
}

int TerminalScreen::usedRows() const
{
    for (int row = m_rows; row > 0; --row) {
        if (!line(row - 1).text.empty())
            return row;
    }
    return 0;
}

int TerminalScreen::cursorRow() const
{
    VTermPos pos;
    vterm_state_get_cursorpos(vterm_obtain_state(m_vterm), &pos);
    return pos.row;
}

int TerminalScreen::cursorColumn() const
{
    VTermPos pos;
    vterm_state_get_cursorpos(vterm_obtain_state(m_vterm), &pos);
    return pos.col;
}

QByteArray TerminalScreen::keyBytes(int key, Qt::KeyboardModifiers modifiers)
{
    const VTermKey terminalKey = terminalKeyOf(key);
    if (terminalKey == VTERM_KEY_NONE)
        return {};
    // What is waiting to be answered stays apart from the key's bytes.
    takeOutput();
    vterm_keyboard_key(m_vterm, terminalKey, terminalModifiersOf(modifiers));
    return std::exchange(m_output, QByteArray());
}

#include "moc_terminal_screen.cpp"

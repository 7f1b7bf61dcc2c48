#include "core/pane/terminal_screen.h"

#include <vterm.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

quint32 terminalColorOf(const VTermColor &color)
{
    if (VTERM_COLOR_IS_INDEXED(&color))
        return TerminalStyle::paletteColor(color.indexed.idx);
    return (quint32(color.rgb.red) << 16) | (quint32(color.rgb.green) << 8) | color.rgb.blue;
}

TerminalStyle terminalStyleOf(const VTermScreenCell &cell)
{
    TerminalStyle style;
    style.flags = 0;
    if (VTERM_COLOR_IS_DEFAULT_FG(&cell.fg))
        style.flags |= TerminalStyle::DefaultForeground;
    else
        style.foreground = terminalColorOf(cell.fg);
    if (VTERM_COLOR_IS_DEFAULT_BG(&cell.bg))
        style.flags |= TerminalStyle::DefaultBackground;
    else
        style.background = terminalColorOf(cell.bg);
    if (cell.attrs.bold)
        style.flags |= TerminalStyle::Bold;
    if (cell.attrs.underline)
        style.flags |= TerminalStyle::Underline;
    if (cell.attrs.italic)
        style.flags |= TerminalStyle::Italic;
    if (cell.attrs.reverse)
        style.flags |= TerminalStyle::Reverse;
    if (cell.attrs.strike)
        style.flags |= TerminalStyle::Strike;
    if (cell.attrs.blink)
        style.flags |= TerminalStyle::Blink;
    return style;
}

// Whether two cells' colours and attributes are alike (bytewise: a false
// "not alike" only costs working the style out again).
bool sameTerminalLooks(const VTermScreenCell &a, const VTermScreenCell &b)
{
    return std::memcmp(&a.attrs, &b.attrs, sizeof a.attrs) == 0 &&
           std::memcmp(&a.fg, &b.fg, sizeof a.fg) == 0 &&
           std::memcmp(&a.bg, &b.bg, sizeof a.bg) == 0;
}

// A cell that shows nothing: a blank on the default background.
bool isEmptyTerminalCell(const VTermScreenCell &cell)
{
    const bool blank = cell.chars[0] == 0 || cell.chars[0] == U' ';
    return blank && VTERM_COLOR_IS_DEFAULT_BG(&cell.bg) && !cell.attrs.reverse &&
           !cell.attrs.underline && !cell.attrs.strike;
}

// Gathers `count` cells into a line: one character per cell (a
// double-width character once), the empty cells at the end left out.
TerminalLine terminalLineOf(const VTermScreenCell *cells, int count)
{
    while (count > 0 && isEmptyTerminalCell(cells[count - 1]))
        --count;
    TerminalLine line;
    line.text.reserve(size_t(count));
    TerminalStyle current;
    const VTermScreenCell *looksOf = nullptr; // the last cell whose style was worked out
    for (int i = 0; i < count; ++i) {
        const VTermScreenCell &cell = cells[i];
        if (i > 0 && cells[i - 1].width == 2)
            continue; // the right half of a double-width character
        // Neighbours mostly look alike: the style is worked out where the
        // looks change.
        if (!looksOf || !sameTerminalLooks(*looksOf, cell)) {
            looksOf = &cell;
            const TerminalStyle style = terminalStyleOf(cell);
            if (style != current) {
                line.runs.append(TerminalRun{qint32(line.text.size()), style});
                current = style;
            }
        }
        line.text.push_back(cell.chars[0] == 0 ? U' ' : char32_t(cell.chars[0]));
    }
    return line;
}

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

// libvterm's calls back into the screen object.
struct TerminalScreen::Callbacks
{
    static TerminalScreen &of(void *user) { return *static_cast<TerminalScreen *>(user); }

    static int damage(VTermRect, void *user)
    {
        of(user).m_changed = true;
        return 1;
    }
    static int moveCursor(VTermPos, VTermPos, int visible, void *user)
    {
        of(user).m_cursorVisible = visible;
        of(user).m_changed = true;
        return 1;
    }
    static int setProperty(VTermProp prop, VTermValue *value, void *user)
    {
        if (prop == VTERM_PROP_CURSORVISIBLE) {
            of(user).m_cursorVisible = value->boolean;
            of(user).m_changed = true;
        }
        return 1;
    }
    static int pushLine(int columns, const VTermScreenCell *cells, void *user)
    {
        emit of(user).scrolledOff(terminalLineOf(cells, columns));
        return 1;
    }
    static void output(const char *bytes, size_t length, void *user)
    {
        of(user).m_output.append(bytes, qsizetype(length));
    }
    static const VTermScreenCallbacks *table()
    {
        static const VTermScreenCallbacks callbacks = {
            &damage,
            nullptr, // moverect: damage covers it
            &moveCursor, &setProperty,
            nullptr, // bell
            nullptr, // resize
            &pushLine,
            nullptr, // popline: the history never comes back into the screen
        };
        return &callbacks;
    }
};

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
    vterm_output_set_callback(m_vterm, &Callbacks::output, this);
    m_screen = vterm_obtain_screen(m_vterm);
    vterm_screen_set_callbacks(m_screen, Callbacks::table(), this);
    // Damage is only noted, not drawn: whole scrolls rather than cell by cell.
    vterm_screen_set_damage_merge(m_screen, VTERM_DAMAGE_SCROLL);
    vterm_screen_reset(m_screen, 1);
    m_cursorVisible = true;
}

void TerminalScreen::setSize(int rows, int columns)
{
    rows = std::max(1, rows);
    columns = std::max(1, columns);
    if (rows == m_rows && columns == m_columns)
        return;
    m_rows = rows;
    m_columns = columns;
    vterm_set_size(m_vterm, rows, columns);
    vterm_screen_flush_damage(m_screen);
    emit changed();
}

void TerminalScreen::feed(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    m_changed = false;
    // libvterm would take a UTF-8 character split between two writes as two
    // bad ones: a character's start at the end waits for the rest.
    QByteArray joined;
    if (!m_utf8Start.isEmpty()) {
        joined = std::exchange(m_utf8Start, QByteArray());
        joined.append(bytes);
        bytes = joined;
    }
    const qsizetype held = incompleteUtf8Tail(bytes);
    m_utf8Start = bytes.last(held).toByteArray();
    bytes.chop(held);
    vterm_input_write(m_vterm, bytes.data(), size_t(bytes.size()));
    vterm_screen_flush_damage(m_screen);
    takeOutput();
    if (m_changed)
        emit changed();
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
    m_utf8Start.clear();
    build();
    emit changed();
}

TerminalCell TerminalScreen::cell(int row, int column) const
{
    TerminalCell result;
    VTermScreenCell cell;
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns ||
        !vterm_screen_get_cell(m_screen, VTermPos{row, column}, &cell))
        return result;
    if (column > 0) {
        VTermScreenCell left;
        if (vterm_screen_get_cell(m_screen, VTermPos{row, column - 1}, &left) && left.width == 2)
            result.width = 0;
    }
    if (result.width != 0)
        result.width = quint8(std::clamp<int>(cell.width, 1, 2));
    result.character = cell.chars[0] == 0 ? U' ' : char32_t(cell.chars[0]);
    result.style = terminalStyleOf(cell);
    return result;
}

TerminalLine TerminalScreen::line(int row) const
{
    std::vector<VTermScreenCell> cells(static_cast<size_t>(m_columns));
    for (int column = 0; column < m_columns; ++column)
        vterm_screen_get_cell(m_screen, VTermPos{row, column}, &cells[size_t(column)]);
    return terminalLineOf(cells.data(), m_columns);
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

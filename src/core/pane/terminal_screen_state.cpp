// The Terminal format's screen as libvterm's state layer drives it: glyphs
// written, rectangles moved and erased, the pen's looks, the screen's
// properties. The cells are the screen's own (TerminalGrid); a scroll of the
// whole screen moves none of them.
#include "core/pane/terminal_screen.h"

#include <vterm.h>

#include <algorithm>
#include <cstring>

namespace {

quint32 terminalColorOf(const VTermColor &color)
{
    if (VTERM_COLOR_IS_INDEXED(&color))
        return TerminalStyle::paletteColor(color.indexed.idx);
    return (quint32(color.rgb.red) << 16) | (quint32(color.rgb.green) << 8) | color.rgb.blue;
}

// The pen's new looks after the device set `attr` to `value`.
void applyTerminalAttr(TerminalStyle &pen, VTermAttr attr, const VTermValue &value)
{
    switch (attr) {
    case VTERM_ATTR_BOLD:
        pen.set(TerminalStyle::Bold, value.boolean);
        break;
    case VTERM_ATTR_UNDERLINE:
        pen.set(TerminalStyle::Underline, value.number != 0);
        break;
    case VTERM_ATTR_ITALIC:
        pen.set(TerminalStyle::Italic, value.boolean);
        break;
    case VTERM_ATTR_BLINK:
        pen.set(TerminalStyle::Blink, value.boolean);
        break;
    case VTERM_ATTR_REVERSE:
        pen.set(TerminalStyle::Reverse, value.boolean);
        break;
    case VTERM_ATTR_STRIKE:
        pen.set(TerminalStyle::Strike, value.boolean);
        break;
    case VTERM_ATTR_FOREGROUND:
        pen.setForeground(terminalColorOf(value.color), VTERM_COLOR_IS_DEFAULT_FG(&value.color));
        break;
    case VTERM_ATTR_BACKGROUND:
        pen.setBackground(terminalColorOf(value.color), VTERM_COLOR_IS_DEFAULT_BG(&value.color));
        break;
    default: // the font: not shown
        break;
    }
}

} // namespace

// libvterm's state layer calls back into the screen object.
struct TerminalScreen::StateCallbacks
{
    static TerminalScreen &of(void *user) { return *static_cast<TerminalScreen *>(user); }

    static int putGlyph(VTermGlyphInfo *info, VTermPos pos, void *user)
    {
        TerminalScreen &screen = of(user);
        screen.m_lastGlyphWidth = info->width;
        ++screen.m_glyphs;
        screen.m_lastGlyph = {pos.row,
                              pos.col,
                              info->chars[0],
                              info->width,
                              info->chars[0] != 0 && info->chars[1] != 0,
                              bool(info->protected_cell)};
        TerminalGrid &grid = screen.m_grid;
        if (pos.row < 0 || pos.row >= grid.rows() || pos.col < 0 || pos.col >= grid.columns())
            return 0;
        TerminalGrid::Cell *cells = grid.row(pos.row);
        TerminalGrid::Cell &cell = cells[pos.col];
        cell.character = info->chars[0];
        if (info->chars[0] != 0)
            cell.style = screen.m_pen;
        for (int column = pos.col + 1; column < pos.col + info->width; ++column) {
            if (column < grid.columns())
                cells[column].character = TerminalGrid::kWideRight;
        }
        cell.isProtected = info->protected_cell;
        screen.m_changed = true;
        return 1;
    }
    static int moveCursor(VTermPos, VTermPos, int visible, void *user)
    {
        of(user).m_cursorVisible = visible;
        of(user).m_changed = true;
        return 1;
    }
    static int scrollRect(VTermRect rect, int downward, int rightward, void *user)
    {
        of(user).m_changed = true;
        if (rightward != 0)
            of(user).m_inserted = true;
        vterm_scroll_rect(rect, downward, rightward, &moveRect, &eraseRect, user);
        return 1;
    }
    static int moveRect(VTermRect dest, VTermRect src, void *user);
    static int eraseRect(VTermRect rect, int selective, void *user)
    {
        TerminalScreen &screen = of(user);
        const int end = std::min(rect.end_row, screen.m_grid.rows());
        for (int row = rect.start_row; row < end; ++row)
            screen.m_grid.erase(row, rect.start_col, rect.end_col, screen.m_pen, selective);
        screen.m_changed = true;
        return 1;
    }
    static int setPenAttr(VTermAttr attr, VTermValue *value, void *user)
    {
        applyTerminalAttr(of(user).m_pen, attr, *value);
        of(user).m_libvtermPenPlain = false;
        return 1;
    }
    static int setTermProp(VTermProp prop, VTermValue *value, void *user);
    static int resize(int rows, int columns, VTermPos *delta, void *user);
    static int setLineInfo(int row, const VTermLineInfo *now, const VTermLineInfo *before,
                           void *user);
    static void output(const char *bytes, size_t length, void *user)
    {
        of(user).m_output.append(bytes, qsizetype(length));
    }
};

int TerminalScreen::StateCallbacks::moveRect(VTermRect dest, VTermRect src, void *user)
{
    TerminalScreen &screen = of(user);
    TerminalGrid &grid = screen.m_grid;
    screen.m_changed = true;
    // Rows moved up from the top of the full width leave the screen: the
    // history keeps them.
    const bool fromTop =
        dest.start_row == 0 && dest.start_col == 0 && dest.end_col == grid.columns();
    if (fromTop) {
        for (int row = 0; row < src.start_row; ++row) {
            grid.lineInto(row, screen.m_leaving);
            emit screen.scrolledOff(screen.m_leaving);
        }
    }
    const int downward = src.start_row - dest.start_row;
    if (fromTop && downward > 0 && src.end_row == grid.rows() && src.start_col == 0 &&
        src.end_col == grid.columns()) {
        grid.rotateUp(downward); // the whole screen: the rows left below are erased next
        return 1;
    }
    const size_t bytes = size_t(src.end_col - src.start_col) * sizeof(TerminalGrid::Cell);
    const int first = downward < 0 ? dest.end_row - 1 : dest.start_row;
    const int last = downward < 0 ? dest.start_row - 1 : dest.end_row;
    const int step = downward < 0 ? -1 : 1;
    for (int row = first; row != last; row += step)
        std::memmove(grid.row(row) + dest.start_col, grid.row(row + downward) + src.start_col,
                     bytes);
    return 1;
}

int TerminalScreen::StateCallbacks::setTermProp(VTermProp prop, VTermValue *value, void *user)
{
    TerminalScreen &screen = of(user);
    switch (prop) {
    case VTERM_PROP_ALTSCREEN:
        if (value->boolean)
            return 0; // one screen only: the history is the lines that left it
        screen.m_changed = true;
        break;
    case VTERM_PROP_REVERSE:
        screen.m_grid.setReverse(value->boolean);
        screen.m_changed = true;
        break;
    case VTERM_PROP_CURSORVISIBLE:
        screen.m_cursorVisible = value->boolean;
        screen.m_changed = true;
        break;
    default:
        break;
    }
    return 1;
}

int TerminalScreen::StateCallbacks::resize(int rows, int columns, VTermPos *delta, void *user)
{
    TerminalScreen &screen = of(user);
    TerminalGrid &grid = screen.m_grid;
    const int oldRows = grid.rows();
    if (rows < oldRows) {
        // Fewer rows: the rows above the cursor's or the last written one
        // that no longer fit go up into the history.
        VTermPos cursor;
        vterm_state_get_cursorpos(vterm_obtain_state(screen.m_vterm), &cursor);
        int row = oldRows - 1;
        while (row >= rows && grid.isEndOfLine(row) && row != cursor.row)
            --row;
        const int firstBlank = row + 1;
        if (firstBlank > rows) {
            const VTermRect all{0, oldRows, 0, grid.columns()};
            vterm_scroll_rect(all, firstBlank - rows, 0, &moveRect, &eraseRect, user);
            delta->row -= firstBlank - rows;
        }
    }
    grid.resize(rows, columns, screen.m_pen);
    screen.m_changed = true;
    return 1;
}

int TerminalScreen::StateCallbacks::setLineInfo(int row, const VTermLineInfo *now,
                                                const VTermLineInfo *before, void *user)
{
    if (now->doublewidth == before->doublewidth && now->doubleheight == before->doubleheight)
        return 1;
    TerminalScreen &screen = of(user);
    // A double-width line shows half the columns: the right half goes blank.
    if (now->doublewidth)
        screen.m_grid.erase(row, screen.m_grid.columns() / 2, screen.m_grid.columns(), screen.m_pen,
                            false);
    screen.m_changed = true;
    return 1;
}

void TerminalScreen::attachState()
{
    static const VTermStateCallbacks callbacks = {
        &StateCallbacks::putGlyph,
        &StateCallbacks::moveCursor,
        &StateCallbacks::scrollRect,
        &StateCallbacks::moveRect,
        &StateCallbacks::eraseRect,
        nullptr, // initpen: the pen's attributes come one by one
        &StateCallbacks::setPenAttr,
        &StateCallbacks::setTermProp,
        nullptr, // bell
        &StateCallbacks::resize,
        &StateCallbacks::setLineInfo,
    };
    vterm_output_set_callback(m_vterm, &StateCallbacks::output, this);
    VTermState *state = vterm_obtain_state(m_vterm);
    vterm_state_set_callbacks(state, &callbacks, this);
    vterm_state_reset(state, 1);
}

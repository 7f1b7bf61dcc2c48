#pragma once

#include "core/pane/line_time_text.h"
#include "core/pane/pane_layout.h"
#include "core/pane/pane_selection.h"
#include "ui/capture_pane_glyphs.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QTimer>

class PaneText;
class TerminalScreen;
class QAction;
class QKeyEvent;
class QMenu;

// Read-only view of a receive pane's PaneText: one cell per byte in a
// fixed-pitch font, long lines wrapped at blanks to the viewport's width (or
// to a least width the owner sets, scrolled sideways), only the visible rows
// painted. Model changes are gathered and shown at most once a
// frame; the view follows new data while it is scrolled to the bottom.
//
// The widget paints, takes input and scrolls; what it shows comes from parts
// that need no window: PaneLayout (rows and cells of the text at a width)
// and PaneSelection (the selected byte range). Its files:
//   capture_pane.cpp            the model and its updates at most once a
//                               frame; the widget's own events;
//   capture_pane_geometry.cpp   wrapping after a resize, scrolling (sideways
//                               too) and cell geometry;
//   capture_pane_times.cpp      the line times' gutter text and tooltip;
//   capture_pane_selection.cpp  the selection, clipboard and saving it;
//   capture_pane_input.cpp      keys, mouse and the context menu;
//   capture_pane_paint.cpp      the rows in view, handed to a
//                               CapturePanePainter (capture_pane_painter.*),
//                               which draws one frame;
//   capture_pane_terminal.cpp   the Terminal format's screen below the text.
// Glyphs per font come from CapturePaneGlyphs, Terminal looks are drawn by
// TerminalCellPainter, and screen readers reach the text through
// CapturePaneAccessible.
//
// With line times shown, a gutter at the left holds each line's arrival
// time beside its first row (the date where the day changes; hovering the
// gutter gives both); the text, its wrapping width aside, is the same: find, selection and copy see
// the text alone, unless the choice asks for the times in copies.
//
// In the Terminal format the text is the terminal's history: text with
// looks (PaneText::styles) shows in its colours, and the terminal's visible
// screen (setTerminal) is painted below it, as the last rows, following
// every change (capture_pane_terminal.cpp). Selection, find and copy see
// the history.
class CapturePane : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit CapturePane(QWidget *parent = nullptr);
    ~CapturePane() override;

    // --- The model and its updates (capture_pane.cpp) ---
    // Not owned; the view lets go when the model is destroyed.
    void setModel(PaneText *model);
    PaneText *model() const;

    // Shows what the model signalled since the last update now, instead of
    // at the next frame.
    void flushPendingUpdate();

    // The look of a pane whose channel is off: greyed, yet still scrolled,
    // selected and copied like any pane (it never takes typed input).
    void setInactive(bool inactive);
    bool isInactive() const { return m_inactive; }

    // --- Line times (capture_pane_times.cpp) ---
    void setTimeChoice(const PaneTimeChoice &choice);
    const PaneTimeChoice &timeChoice() const { return m_times; }
    // The gutter's text beside `row`: its line's time on the line's first
    // row, blank on the others and with times hidden.
    QString gutterText(int row) const;

    // --- Scrolling and geometry (capture_pane_geometry.cpp) ---
    bool isAtBottom() const;
    // Whether lines a new width left cut at cells are still being wrapped at
    // blanks (a step at a time, between other events).
    bool isWrapping() const { return m_layout.isWrapping(); }
    int firstVisibleRow() const;
    // Rows that fit the viewport whole (at least one).
    int visibleRowCount() const;
    int rowCount() const;
    // The row as shown: control pictures, tabs as spaces.
    QString rowText(int row) const;
    int columns() const { return m_layout.columns(); }
    // Rows are laid out at least `columns` wide (0: just the viewport's
    // width). A narrower viewport scrolls sideways, with a horizontal scroll
    // bar, instead of wrapping lines up to that width: the dump view asks
    // for its row's width. Without it the pane has no horizontal bar.
    void setLeastColumns(int columns);

    // Viewport geometry of a cell of the visible rows, and the text position
    // at a viewport point (the nearest cell boundary).
    QRect cellRect(int row, int column) const;
    qsizetype positionAt(const QPoint &viewportPos) const;
    // Viewport geometry of the byte at `pos`.
    QRect positionRect(qsizetype pos) const;
    void scrollToPosition(qsizetype pos);

    // --- The Terminal format's screen (capture_pane_terminal.cpp) ---
    // Paints `screen` below the text, or no screen (nullptr); not owned.
    void setTerminal(TerminalScreen *screen);
    TerminalScreen *terminal() const;
    // The rows of text shown above the screen (an empty last line is not
    // shown while a screen follows it), and every row shown.
    int historyRowCount() const;
    int shownRowCount() const;

    // --- Selection and clipboard (capture_pane_selection.cpp) ---
    bool hasSelection() const { return !m_selection.isEmpty(); }
    qsizetype selectionStart() const { return m_selection.start(); }
    qsizetype selectionEnd() const { return m_selection.end(); }
    // The moving end of the selection.
    qsizetype cursorPosition() const { return m_selection.cursor(); }
    QByteArray selectedBytes() const;
    void selectAll();
    void setSelection(qsizetype start, qsizetype end);
    void clearSelection();
    // To the clipboard (with the line times when the choice asks for them);
    // a selection larger than clipboardLimit() is offered to be saved to a
    // file instead.
    void copy();
    // Writes the selected bytes (with the line times when the choice asks
    // for them) to `path`; says so and returns false when that fails.
    bool saveSelection(const QString &path);
    static void setClipboardLimit(qsizetype bytes);
    static qsizetype clipboardLimit();

    // --- Context menu (capture_pane_input.cpp) ---
    // The context menu's contents; the caller owns the menu.
    QMenu *createContextMenu(QWidget *parent = nullptr);
    // Entries the owner adds at the end of the context menu (not owned).
    void setContextActions(const QList<QAction *> &actions);

signals:
    void selectionChanged();
    // Ctrl+F or the context menu's Find: the pane has no find box of its own.
    void findRequested();

protected:
    // capture_pane.cpp
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    // capture_pane_times.cpp: a tooltip over the gutter gives the line's
    // arrival date and time.
    bool viewportEvent(QEvent *event) override;
    // capture_pane_geometry.cpp
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    // capture_pane_paint.cpp
    void paintEvent(QPaintEvent *event) override;
    // capture_pane_input.cpp
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // --- The model and its updates (capture_pane.cpp) ---
    void onAppended();
    // Lays out the text appended since the last call (not shown yet).
    void layOutAppended();
    void onReset();
    void onModelDestroyed();
    void onSpillFailed(const QString &reason);
    void scheduleUpdate();
    void notifyInserted(qsizetype from);
    qsizetype textSize() const;

    // --- Wrapping and scrolling (capture_pane_geometry.cpp) ---
    void relayoutForSize();
    void continueWrapping();
    // Wraps lines the width left waiting for a while, and keeps the view at
    // the bottom or `topPos` (-1: none) at its top.
    void wrapWaitingLines(bool atBottom, qsizetype topPos, int stepMs);
    void updateScrollRange(bool keepBottom);
    void updateSidewaysRange();
    void scrollToRow(qint64 row);

    QPointer<PaneText> m_model;
    PaneLayout m_layout;
    QTimer m_frameTimer;
    QTimer m_wrapTimer;
    bool m_appendPending = false;
    bool m_resetPending = false;
    bool m_resetToBottom = false;
    // Size of the text that has been shown, for accessibility notices.
    qsizetype m_shownSize = 0;
    // Size of the text the layout has taken in.
    qsizetype m_laidOutSize = 0;
    bool m_inactive = false;
    PaneTimeChoice m_times;
    int m_leastColumns = 0;

    // --- Selection (capture_pane_selection.cpp) and input (capture_pane_input.cpp) ---
    // Repaints and tells listeners and screen readers when `changed`.
    void showSelectionChange(bool changed);
    void offerToSaveSelection();
    // The times a copy carries: Off unless shown and asked for in copies.
    LineTimeForm copiedTimes() const;
    QByteArray copiedBytes() const;
    qsizetype moveByRows(qsizetype pos, int rows) const;
    // Copy, Select All and Find; false for any other key.
    bool triggerKeyCommand(QKeyEvent *event);

    PaneSelection m_selection;
    // A left-button drag is extending the selection.
    bool m_selecting = false;
    QList<QPointer<QAction>> m_contextActions;

    // --- Painting (capture_pane_paint.cpp) ---
    // Blank pixels left and right of the text.
    static constexpr int kMargin = 2;
    // Where a column's cell starts in the viewport, past the gutter, as
    // scrolled sideways.
    qreal cellX(int column) const;
    // The width of the times' gutter: 0 while they are hidden.
    qreal gutterWidth() const;

    CapturePaneGlyphs m_glyphs;

    // --- The Terminal format's screen (capture_pane_terminal.cpp) ---
    void onTerminalChanged();

    QPointer<TerminalScreen> m_terminal;
};

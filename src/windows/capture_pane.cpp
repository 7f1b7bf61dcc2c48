#include "windows/capture_pane.h"

#include "channels/pane_text.h"
#include "windows/capture_pane_accessible.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>

#include <cmath>
#include <limits>

namespace {

// Blank pixels left and right of the text.
constexpr int kMargin = 2;
// At most one relayout and repaint per frame.
constexpr int kFrameMs = 16;

// The short names the control pictures show.
QString controlName(int byte)
{
    static const char *const names[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                        "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                        "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                        "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    if (byte >= 0 && byte < 0x20)
        return QLatin1String(names[byte]);
    if (byte == 0x7F)
        return QStringLiteral("DEL");
    if (byte >= 0x80 && byte < 0xA0) // C1 controls: their code in hex
        return QString::number(byte, 16).toUpper();
    return {};
}

bool isWordByte(char c)
{
    return c != ' ' && c != '\t' && c != '\r' && c != '\n';
}

int clampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

CapturePane::CapturePane(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    installCapturePaneAccessibleFactory();
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always there, so wrapping never makes the bar come and go.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);

    m_frameTimer.setSingleShot(true);
    m_frameTimer.setInterval(kFrameMs);
    connect(&m_frameTimer, &QTimer::timeout, this, &CapturePane::flushPendingUpdate);

    updateMetrics();
    relayoutForSize();
}

CapturePane::~CapturePane() = default;

void CapturePane::setModel(PaneText *model)
{
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_frameTimer.stop();
    m_appendPending = false;
    m_resetPending = false;
    const bool hadSelection = hasSelection();
    m_anchor = m_cursor = 0;
    m_selecting = false;
    if (model) {
        connect(model, &PaneText::appended, this, &CapturePane::onAppended);
        connect(model, &PaneText::reset, this, &CapturePane::onReset);
        connect(model, &QObject::destroyed, this, &CapturePane::onModelDestroyed);
        m_layout.rebuild(*model);
    } else {
        m_layout.clear();
    }
    m_shownSize = textSize();
    updateScrollRange(true);
    viewport()->update();
    if (hadSelection)
        emit selectionChanged();
}

PaneText *CapturePane::model() const
{
    return m_model.data();
}

qsizetype CapturePane::textSize() const
{
    return m_model ? m_model->size() : 0;
}

void CapturePane::onAppended()
{
    m_appendPending = true;
    scheduleUpdate();
}

void CapturePane::onReset()
{
    // The laid-out rows no longer match the text: drop them now, lay out anew
    // at the next frame.
    if (!m_resetPending)
        m_resetToBottom = isAtBottom();
    m_layout.clear();
    m_resetPending = true;
    m_selecting = false;
    const bool hadSelection = hasSelection();
    m_anchor = m_cursor = 0;
    if (hadSelection)
        emit selectionChanged();
    scheduleUpdate();
}

void CapturePane::onModelDestroyed()
{
    m_frameTimer.stop();
    m_appendPending = false;
    m_resetPending = false;
    m_layout.clear();
    m_shownSize = 0;
    const bool hadSelection = hasSelection();
    m_anchor = m_cursor = 0;
    m_selecting = false;
    updateScrollRange(true);
    viewport()->update();
    if (hadSelection)
        emit selectionChanged();
}

void CapturePane::scheduleUpdate()
{
    if (!m_frameTimer.isActive())
        m_frameTimer.start();
}

void CapturePane::flushPendingUpdate()
{
    m_frameTimer.stop();
    if (!m_appendPending && !m_resetPending)
        return;
    const bool reset = m_resetPending;
    const bool wasAtBottom = isAtBottom();
    m_appendPending = false;
    m_resetPending = false;
    if (!m_model)
        return;

    if (reset) {
        m_layout.rebuild(*m_model);
        updateScrollRange(false);
        verticalScrollBar()->setValue(m_resetToBottom ? verticalScrollBar()->maximum() : 0);
        m_shownSize = m_model->size();
        if (QAccessible::isActive()) {
            QAccessibleEvent event(this, QAccessible::VisibleDataChanged);
            QAccessible::updateAccessibility(&event);
        }
    } else {
        m_layout.append(*m_model);
        updateScrollRange(wasAtBottom);
        notifyInserted(m_shownSize);
        m_shownSize = m_model->size();
    }
    viewport()->update();
}

void CapturePane::notifyInserted(qsizetype from)
{
    if (!QAccessible::isActive() || !m_model || from >= m_model->size() ||
        m_model->size() > std::numeric_limits<int>::max())
        return;
    QAccessibleTextInsertEvent event(this, int(from),
                                     QString::fromLatin1(m_model->text().mid(from)));
    QAccessible::updateAccessibility(&event);
}

void CapturePane::updateMetrics()
{
    const QFontMetricsF metricsF(font());
    m_cellWidth = metricsF.horizontalAdvance(QLatin1Char('M'));
    if (m_cellWidth <= 0)
        m_cellWidth = 8;
    const QFontMetrics metrics(font());
    m_lineHeight = std::max(1, metrics.lineSpacing());
    m_ascent = metrics.ascent();

    findGlyphs();
}

int CapturePane::rawFontIndex(const QRawFont &font)
{
    qsizetype index = m_rawFonts.indexOf(font);
    if (index < 0) {
        index = m_rawFonts.size();
        m_rawFonts.append(font);
    }
    return int(index);
}

void CapturePane::findGlyphs()
{
    m_rawFonts = {QRawFont::fromFont(font())};
    const QRawFont own = m_rawFonts.constFirst();
    // For control pictures no font has: the code's letters, small and
    // stacked from top left to bottom right, as such pictures are drawn.
    QFont small = font();
    small.setPixelSize(std::max(4, qRound(m_lineHeight * 0.42)));
    const QRawFont smallRaw = QRawFont::fromFont(small);
    const QFontMetricsF smallMetrics(small);

    for (int byte = 0; byte < 256; ++byte) {
        QList<GlyphPiece> &pieces = m_glyphs[byte];
        pieces.clear();
        if (byte == '\t')
            continue;
        const QString shown(CapturePaneLayout::displayChar(uchar(byte)));
        // C1 controls have no glyph; fonts only offer a box for them.
        const bool c1 = byte >= 0x80 && byte < 0xA0;
        if (!c1 && own.isValid() && own.supportsCharacter(shown.at(0))) {
            const QList<quint32> glyphs = own.glyphIndexesForString(shown);
            if (!glyphs.isEmpty() && glyphs.first() != 0) {
                pieces.append(GlyphPiece{0, glyphs.first(), QPointF(0, m_ascent)});
                continue;
            }
        }
        // Another font may have it (control pictures are missing from many
        // fixed-pitch fonts): centred in the cell.
        QTextLayout layout(c1 ? QString() : shown, font());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (!runs.isEmpty() && !runs.first().glyphIndexes().isEmpty() &&
            runs.first().glyphIndexes().first() != 0) {
            const QRawFont raw = runs.first().rawFont();
            const quint32 glyph = runs.first().glyphIndexes().first();
            const QList<QPointF> advances = raw.advancesForGlyphIndexes(QList<quint32>{glyph});
            const qreal advance = advances.isEmpty() ? m_cellWidth : advances.first().x();
            pieces.append(GlyphPiece{rawFontIndex(raw), glyph,
                                     QPointF((m_cellWidth - advance) / 2, m_ascent)});
            continue;
        }
        const QString letters = controlName(byte);
        if (letters.isEmpty() || !smallRaw.isValid())
            continue;
        const QList<quint32> glyphs = smallRaw.glyphIndexesForString(letters);
        if (glyphs.size() != letters.size() || glyphs.contains(0u))
            continue;
        const int smallFont = rawFontIndex(smallRaw);
        const qreal letterWidth = smallMetrics.horizontalAdvance(QLatin1Char('M'));
        const qreal steps = std::max<qsizetype>(1, letters.size() - 1);
        const qreal dx = (m_cellWidth - letterWidth) / steps;
        const qreal dy = (m_lineHeight - smallMetrics.height()) / steps;
        for (qsizetype i = 0; i < letters.size(); ++i)
            pieces.append(GlyphPiece{smallFont, glyphs.at(i),
                                     QPointF(i * dx, smallMetrics.ascent() + i * dy)});
    }
}

void CapturePane::relayoutForSize()
{
    const bool atBottom = isAtBottom();
    const int usable = viewport()->width() - 2 * kMargin;
    const int columns = std::max(1, int(std::floor(usable / m_cellWidth)));
    qsizetype topPos = -1;
    if (columns != m_layout.columns()) {
        // Keep the byte at the top in view while scrolled up.
        if (!atBottom && m_model)
            topPos = m_layout.positionAt(*m_model, firstVisibleRow(), 0);
        m_layout.setColumns(columns);
    }
    updateScrollRange(atBottom);
    if (topPos >= 0)
        scrollToRow(m_layout.cellOfPosition(*m_model, topPos).row);
    viewport()->update();
}

void CapturePane::updateScrollRange(bool keepBottom)
{
    QScrollBar *bar = verticalScrollBar();
    const int page = visibleRowCount();
    const int maximum = std::max(0, rowCount() - page);
    bar->setRange(0, maximum);
    bar->setPageStep(page);
    bar->setSingleStep(1);
    if (keepBottom)
        bar->setValue(maximum);
}

void CapturePane::scrollToRow(qint64 row)
{
    verticalScrollBar()->setValue(clampToInt(row));
}

void CapturePane::scrollToPosition(qsizetype pos)
{
    if (!m_model)
        return;
    const qint64 row = m_layout.cellOfPosition(*m_model, pos).row;
    const int first = firstVisibleRow();
    const int page = visibleRowCount();
    if (row < first)
        scrollToRow(row);
    else if (row >= first + page)
        scrollToRow(row - page + 1);
}

bool CapturePane::isAtBottom() const
{
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

int CapturePane::firstVisibleRow() const
{
    return verticalScrollBar()->value();
}

int CapturePane::visibleRowCount() const
{
    return std::max(1, viewport()->height() / m_lineHeight);
}

int CapturePane::rowCount() const
{
    return clampToInt(m_layout.rowCount());
}

QString CapturePane::rowText(int row) const
{
    QString shown;
    if (!m_model)
        return shown;
    const QByteArray &text = m_model->text();
    for (const CapturePaneLayout::Cell &cell : m_layout.rowCells(*m_model, row)) {
        const QChar c = CapturePaneLayout::displayChar(uchar(text.at(cell.pos)));
        shown.append(QString(cell.width, c));
    }
    return shown;
}

QRect CapturePane::cellRect(int row, int column) const
{
    const int x = qRound(kMargin + column * m_cellWidth);
    const int right = qRound(kMargin + (column + 1) * m_cellWidth);
    return QRect(x, (row - firstVisibleRow()) * m_lineHeight, right - x, m_lineHeight);
}

qsizetype CapturePane::positionAt(const QPoint &viewportPos) const
{
    if (!m_model)
        return 0;
    const qint64 row =
        qint64(firstVisibleRow()) + qint64(std::floor(qreal(viewportPos.y()) / m_lineHeight));
    const int column = std::max(0, qRound((viewportPos.x() - kMargin) / m_cellWidth));
    return m_layout.positionAt(*m_model, row, column);
}

QRect CapturePane::positionRect(qsizetype pos) const
{
    if (!m_model)
        return cellRect(0, 0);
    const CapturePaneLayout::CellPos cell = m_layout.cellOfPosition(*m_model, pos);
    return cellRect(clampToInt(cell.row), cell.column);
}

QByteArray CapturePane::selectedBytes() const
{
    if (!m_model || !hasSelection())
        return {};
    return m_model->text().mid(selectionStart(), selectionEnd() - selectionStart());
}

void CapturePane::selectAll()
{
    setCursorPosition(0, textSize());
}

void CapturePane::setSelection(qsizetype start, qsizetype end)
{
    setCursorPosition(start, end);
}

void CapturePane::clearSelection()
{
    setCursorPosition(m_cursor, m_cursor);
}

void CapturePane::setCursorPosition(qsizetype anchor, qsizetype cursor)
{
    const qsizetype size = textSize();
    anchor = std::clamp<qsizetype>(anchor, 0, size);
    cursor = std::clamp<qsizetype>(cursor, 0, size);
    if (anchor == m_anchor && cursor == m_cursor)
        return;
    m_anchor = anchor;
    m_cursor = cursor;
    viewport()->update();
    emit selectionChanged();
    if (QAccessible::isActive() && size <= std::numeric_limits<int>::max()) {
        QAccessibleTextSelectionEvent event(this, int(selectionStart()), int(selectionEnd()));
        event.setCursorPosition(int(m_cursor));
        QAccessible::updateAccessibility(&event);
    }
}

void CapturePane::copy()
{
    if (!hasSelection())
        return;
    QGuiApplication::clipboard()->setText(QString::fromLatin1(selectedBytes()));
}

void CapturePane::selectWordAt(qsizetype pos)
{
    if (!m_model)
        return;
    const QByteArray &text = m_model->text();
    const qsizetype line = m_model->lineAt(pos);
    const qsizetype lineStart = m_model->lineStart(line);
    const qsizetype lineEnd = m_model->lineEnd(line);
    pos = std::clamp(pos, lineStart, lineEnd);
    // The byte under the pointer, or the one just left of it at a word's end.
    if (pos == lineEnd || !isWordByte(text.at(pos))) {
        if (pos > lineStart && isWordByte(text.at(pos - 1)))
            --pos;
        else {
            setCursorPosition(pos, pos);
            return;
        }
    }
    qsizetype start = pos;
    while (start > lineStart && isWordByte(text.at(start - 1)))
        --start;
    qsizetype end = pos;
    while (end < lineEnd && isWordByte(text.at(end)))
        ++end;
    setCursorPosition(start, end);
}

qsizetype CapturePane::moveByRows(qsizetype pos, int rows) const
{
    if (!m_model || m_layout.rowCount() == 0)
        return pos;
    const CapturePaneLayout::CellPos cell = m_layout.cellOfPosition(*m_model, pos);
    const qint64 row = cell.row + rows;
    if (row < 0)
        return 0;
    if (row >= m_layout.rowCount())
        return m_model->size();
    return m_layout.positionAt(*m_model, row, cell.column);
}

bool CapturePane::event(QEvent *event)
{
    // Keep Copy and Select All for the pane while it has the focus, even if
    // a window shortcut uses the same keys.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CapturePane::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
        updateMetrics();
        relayoutForSize();
        break;
    case QEvent::EnabledChange:
        m_selecting = false;
        viewport()->update();
        break;
    case QEvent::PaletteChange:
    case QEvent::ActivationChange:
        viewport()->update();
        break;
    default:
        break;
    }
}

void CapturePane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayoutForSize();
}

void CapturePane::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CapturePane::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QPalette::ColorGroup group = !isEnabled()       ? QPalette::Disabled
                                       : isActiveWindow() ? QPalette::Active
                                                          : QPalette::Inactive;
    const QPalette &pal = palette();
    painter.fillRect(event->rect(), pal.color(group, QPalette::Base));
    if (!m_model || m_layout.rowCount() == 0)
        return;

    const QColor textColor = pal.color(group, QPalette::Text);
    // Stand-in glyphs differ from the bytes that really are those characters.
    const QColor standInColor = pal.color(group, QPalette::PlaceholderText);
    const QColor highlight = pal.color(group, QPalette::Highlight);
    const QColor highlightedText = pal.color(group, QPalette::HighlightedText);
    const qsizetype selStart = selectionStart();
    const qsizetype selEnd = selectionEnd();
    const QByteArray &text = m_model->text();
    const auto cellX = [this](int column) {
        return kMargin + column * m_cellWidth;
    };

    // Glyphs are gathered per font and colour over all rows and drawn in one
    // go each.
    enum Ink
    {
        Plain,
        StandIn,
        Selected,
        InkCount
    };
    struct Glyphs
    {
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    QList<Glyphs> buckets(m_rawFonts.size() * InkCount);
    // Bytes without glyphs are left to drawText, one by one.
    struct Missing
    {
        QRectF rect;
        QChar shown;
        Ink ink;
    };
    QList<Missing> missing;

    const int first = firstVisibleRow();
    const int top = event->rect().top() / m_lineHeight;
    const int bottom = event->rect().bottom() / m_lineHeight;
    for (int i = top; i <= bottom; ++i) {
        const qint64 row = qint64(first) + i;
        if (row >= m_layout.rowCount())
            break;
        const int y = i * m_lineHeight;
        const QList<CapturePaneLayout::Cell> cells = m_layout.rowCells(*m_model, row);

        // The selected cells of a row are side by side; a selected line
        // break shows as one more cell past the line's end.
        int selectedFrom = -1;
        int selectedTo = -1;
        for (const CapturePaneLayout::Cell &cell : cells) {
            if (cell.pos >= selStart && cell.pos < selEnd) {
                if (selectedFrom < 0)
                    selectedFrom = cell.column;
                selectedTo = cell.column + cell.width;
            }
        }
        const qsizetype line = m_layout.lineOfRow(row);
        const qint64 rowsOfLine = m_layout.rowsOfLine(line);
        if (row == m_layout.firstRowOfLine(line) + rowsOfLine - 1 &&
            line + 1 < m_model->lineCount()) {
            const qsizetype lineEnd = m_model->lineEnd(line);
            const qint64 endColumn =
                m_layout.lineCells(line) - (rowsOfLine - 1) * m_layout.columns();
            if (lineEnd >= selStart && lineEnd < selEnd && endColumn < m_layout.columns()) {
                if (selectedFrom < 0)
                    selectedFrom = int(endColumn);
                selectedTo = int(endColumn) + 1;
            }
        }
        if (selectedFrom >= 0)
            painter.fillRect(QRectF(cellX(selectedFrom), y,
                                    (selectedTo - selectedFrom) * m_cellWidth, m_lineHeight),
                             highlight);

        for (const CapturePaneLayout::Cell &cell : cells) {
            const uchar byte = uchar(text.at(cell.pos));
            if (byte == '\t')
                continue;
            bool standIn = false;
            const QChar shown = CapturePaneLayout::displayChar(byte, &standIn);
            const Ink ink = cell.pos >= selStart && cell.pos < selEnd ? Selected
                            : standIn                                 ? StandIn
                                                                      : Plain;
            const QList<GlyphPiece> &pieces = m_glyphs[byte];
            if (pieces.isEmpty()) {
                missing.append(
                    Missing{QRectF(cellX(cell.column), y, m_cellWidth, m_lineHeight), shown, ink});
                continue;
            }
            for (const GlyphPiece &piece : pieces) {
                Glyphs &glyphs = buckets[piece.font * InkCount + ink];
                glyphs.indexes.append(piece.glyph);
                glyphs.positions.append(QPointF(cellX(cell.column), y) + piece.offset);
            }
        }
    }

    const QColor inks[InkCount] = {textColor, standInColor, highlightedText};
    for (qsizetype b = 0; b < buckets.size(); ++b) {
        const Glyphs &glyphs = buckets.at(b);
        if (glyphs.indexes.isEmpty())
            continue;
        QGlyphRun run;
        run.setRawFont(m_rawFonts.at(b / InkCount));
        run.setGlyphIndexes(glyphs.indexes);
        run.setPositions(glyphs.positions);
        painter.setPen(inks[b % InkCount]);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    painter.setFont(font());
    for (const Missing &m : missing) {
        painter.setPen(inks[m.ink]);
        painter.drawText(m.rect, Qt::AlignCenter, QString(m.shown));
    }
}

void CapturePane::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        event->accept();
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const QByteArray text = m_model ? m_model->text() : QByteArray();
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int step = event->key() == Qt::Key_Up ? -1 : 1;
        if (shift) {
            setCursorPosition(m_anchor, moveByRows(m_cursor, step));
            scrollToPosition(m_cursor);
        } else {
            bar->triggerAction(step < 0 ? QAbstractSlider::SliderSingleStepSub
                                        : QAbstractSlider::SliderSingleStepAdd);
        }
        break;
    }
    case Qt::Key_Left:
    case Qt::Key_Right: {
        if (!shift) {
            event->ignore();
            return;
        }
        qsizetype pos = m_cursor;
        // A CR LF is one line break: step over both bytes.
        if (event->key() == Qt::Key_Right && pos < text.size())
            pos += text.mid(pos, 2) == "\r\n" ? 2 : 1;
        else if (event->key() == Qt::Key_Left && pos > 0)
            pos -= pos >= 2 && text.mid(pos - 2, 2) == "\r\n" ? 2 : 1;
        setCursorPosition(m_anchor, pos);
        scrollToPosition(m_cursor);
        break;
    }
    case Qt::Key_PageUp:
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Home:
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CapturePane::mousePressEvent(QMouseEvent *event)
{
    if (!isEnabled() || !m_model || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const qsizetype pos = positionAt(event->position().toPoint());
    if (event->modifiers() & Qt::ShiftModifier)
        setCursorPosition(m_anchor, pos);
    else
        setCursorPosition(pos, pos);
    m_selecting = true;
    event->accept();
}

void CapturePane::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting || !isEnabled() || !m_model || !(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    // Dragging past the top or bottom scrolls.
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    setCursorPosition(m_anchor, positionAt(point));
    event->accept();
}

void CapturePane::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_selecting || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_selecting = false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(QString::fromLatin1(selectedBytes()), QClipboard::Selection);
    event->accept();
}

void CapturePane::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!isEnabled() || !m_model || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // The byte under the pointer, not the nearest boundary.
    const QPoint point = event->position().toPoint();
    const qsizetype pos = positionAt(point - QPoint(qRound(m_cellWidth / 2), 0));
    selectWordAt(pos);
    m_selecting = false;
    event->accept();
}

QMenu *CapturePane::createContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    QAction *copyAction = menu->addAction(tr("&Copy"), this, &CapturePane::copy);
    copyAction->setObjectName(QStringLiteral("copyAction"));
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction *selectAllAction = menu->addAction(tr("Select &All"), this, &CapturePane::selectAll);
    selectAllAction->setObjectName(QStringLiteral("selectAllAction"));
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    return menu;
}

void CapturePane::contextMenuEvent(QContextMenuEvent *event)
{
    if (!isEnabled())
        return;
    QMenu *menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

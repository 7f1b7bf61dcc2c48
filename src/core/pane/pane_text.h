#pragma once

#include "core/pane/echo_ranges.h"
#include "core/pane/pane_line_index.h"
#include "core/pane/pane_store.h"
#include "core/pane/pane_styles.h"
#include "core/pane/pane_times.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>

#include <functional>
#include <span>
#include <vector>

class QIODevice;

// The exact text of a receive pane: one char per received byte (Latin-1),
// with an index of where each line starts. CR LF, a lone LF and a lone CR
// each end one line, also when the CR and the LF come in different appends,
// unless setLineBreaks chose another rule. Beside the text it keeps which
// stretches are local echo (appendEcho), forgotten when the text is replaced.
//
// Appending costs time in proportion to the piece, never to the text already
// held. Past the spill threshold the older text lives in a private file (see
// PaneStore), so the text is not one array: read it by position (at), in
// pieces (chunkAt, forEachChunk) or as a copy of a range. Views listen to
// the change signals and coalesce them.
//
// When that file cannot be written, the text it held comes back into memory
// and the file is removed (PaneStore::giveBackFile); the pane then holds at
// most memoryCap() bytes in memory, dropping its oldest text if it has more.
// Past the cap it takes no more text and counts what it turned away
// (notShown()), until cleared or until a new file works (tried again after
// each memoryCap() / 16 bytes turned away).
//
// Beside the lines it keeps their arrival times (PaneTimes): a line's time
// is the one given with the append that brought its first byte. The times
// are not in the text, so find, copy and save see the text alone.
class PaneText : public QObject
{
    Q_OBJECT

public:
    explicit PaneText(QObject *parent = nullptr);
    ~PaneText() override;

    qsizetype size() const { return m_store.size(); }
    bool isEmpty() const { return m_store.size() == 0; }
    char at(qsizetype pos) const { return m_store.at(pos); }
    // The bytes from `pos` to the end of its block or of the text; valid
    // until the next change.
    QByteArrayView chunkAt(qsizetype pos) const { return m_store.chunkAt(pos); }
    // Hands [pos, pos + length) to `visit` piece by piece, in order, until it
    // returns false; returns false then. Pieces read from the file leave no
    // trace in memory afterwards.
    bool forEachChunk(qsizetype pos, qsizetype length,
                      const std::function<bool(QByteArrayView)> &visit) const;
    // A copy of [pos, pos + length), clipped to the text; length -1: to the end.
    QByteArray copy(qsizetype pos, qsizetype length = -1) const;
    // The whole text as one array: a copy, as large as the text.
    QByteArray text() const { return copy(0); }
    // Writes [pos, pos + length) to `device`; false if a write failed.
    bool writeTo(QIODevice &device, qsizetype pos, qsizetype length) const;
    // Drops the pages of [pos, pos + length) that were read from the spill
    // file from this process's memory, for readers that went over much text
    // (a view laying out what it fell behind on).
    void releaseReadPages(qsizetype pos, qsizetype length) const
    {
        m_store.releaseRead(pos, length);
    }
    // The text held now and its line break rule, for reading on another
    // thread while the pane goes on (see PaneSnapshot: a clear or reload
    // calls `stopReaders` first).
    PaneSnapshot snapshot(std::function<void()> stopReaders = {}) const
    {
        PaneSnapshot taken = m_store.snapshot(std::move(stopReaders));
        taken.m_lineBreaks = m_lines.rule();
        return taken;
    }
    // The first `c` in [from, to), or `to`.
    qsizetype indexOf(char c, qsizetype from, qsizetype to) const;
    // The first line break in [from, to), or `to`.
    qsizetype findLineBreak(qsizetype from, qsizetype to) const;
    // Under the Any rule: the first line break or tab in [from, to), or `to`.
    qsizetype findLineBreakOrTab(qsizetype from, qsizetype to) const
    {
        return m_store.findLineBreakOrTab(from, to);
    }

    // Reads the arrival clock (core/arrival_clock.h): for a piece of now.
    static constexpr qint64 kNow = PaneTimes::kNone;
    // `arrivalMs` (ms since the epoch) becomes the time of each line whose
    // first byte is in `piece`.
    void append(QByteArrayView piece, qint64 arrivalMs = kNow);
    // As append(), for a writer that already knows where the lines of
    // `piece` start under the Any rule (PaneLineIndex::indexKnown): the
    // bytes are not searched again. Under another rule they are.
    void appendLines(QByteArrayView piece, std::span<const qsizetype> lineStarts, qint64 arrivalMs);
    // For such a writer that makes its text in place, saving a copy: where
    // up to `size` bytes can be written at the text's end, or nullptr (it
    // then makes the piece elsewhere and calls appendLines()). What it
    // wrote there becomes the text with appendPlaced(), before any other
    // change to the pane.
    char *placeForAppend(qsizetype size);
    void appendPlaced(qsizetype size, std::span<const qsizetype> lineStarts, qint64 arrivalMs);
    // Appends text that shows what was sent rather than received; its lines
    // take the time of now.
    void appendEcho(QByteArrayView piece);
    const EchoRanges &echoRanges() const { return m_echo; }
    // The Terminal format's colours and characters beyond Latin-1, by text
    // position; forgotten, like the echo, when the text is replaced.
    PaneStyles &styles() { return m_styles; }
    const PaneStyles &styles() const { return m_styles; }
    void setText(QByteArrayView text);
    // Empties the pane and gives its memory and its file back.
    void clear() { setText({}); }

    // Lines: there is always at least one (possibly empty) line.
    qsizetype lineCount() const { return m_lines.lineCount(); }
    qsizetype lineStart(qsizetype line) const { return m_lines.lineStart(m_store, line); }
    // One past the line's last character, its terminator excluded.
    qsizetype lineEnd(qsizetype line) const { return m_lines.lineEnd(m_store, line); }
    // The line that holds text position `pos` (0..size()).
    qsizetype lineAt(qsizetype pos) const { return m_lines.lineAt(m_store, pos); }
    // Where the line after the break at `lineBreak` (a CR or LF) starts.
    qsizetype afterLineBreak(qsizetype lineBreak) const
    {
        return m_lines.afterBreak(m_store, lineBreak);
    }
    // Which bytes end a line. A change cuts the whole text into lines again
    // (reset() follows); the text stays as it is.
    LineBreaks lineBreaks() const { return m_lines.rule(); }
    void setLineBreaks(LineBreaks rule);

    // When line `line`'s first byte arrived (ms since the epoch), or
    // PaneTimes::kNone for a line still empty.
    qint64 lineTime(qsizetype line) const { return m_times.at(line); }
    // The memory the line times take.
    qsizetype lineTimesMemory() const { return m_times.memoryBytes(); }

    // A pane nothing shows (a headless run's) keeps only its last `bytes`
    // of text: once it holds twice that, the older text goes (as by
    // setText(): reset() follows, the kept lines take the time of now and
    // are no longer marked as echo). Kept below the spill threshold, the
    // pane then never makes a spill file. 0, the default: keeps everything.
    void setHistoryBound(qsizetype bytes);
    qsizetype historyBound() const { return m_historyBound; }

    // Text past this many bytes moves to a file; takes effect when the pane
    // is next empty. Panes made later start with the default.
    void setSpillThreshold(qsizetype bytes) { m_store.setThreshold(bytes); }
    static void setDefaultSpillThreshold(qsizetype bytes);
    static qsizetype defaultSpillThreshold();
    qsizetype spilledSize() const { return m_store.spilledSize(); }
    // Waits for the file writes under way (they run in the background) and
    // takes in their outcome, spillFailed included.
    void finishSpilling();
    // The spill file's writer is behind the text, and catching up while the
    // source is paused: see PaneStore.
    bool isSpillBehind() const { return m_store.isSpillBehind(); }
    bool catchUpSpill() { return m_store.catchUpSpill(); }
    // The file holding the older text, or empty while there is none.
    QString spillPath() const { return m_store.spillPath(); }
    // What the pane holds at most once its file has failed; takes effect at
    // once. Panes made later start with the default.
    void setMemoryCap(qsizetype bytes) { m_store.setMemoryCap(bytes); }
    static void setDefaultMemoryCap(qsizetype bytes);
    qsizetype memoryCap() const { return m_store.memoryCap(); }
    // The bytes turned away for want of room since the pane was last empty.
    qint64 notShown() const { return m_notShown; }

signals:
    // Text from `from` on is new. The line holding `from` may have grown, and
    // with a CR LF split across appends, the previous last line may have
    // lost its start.
    void appended(qsizetype from);
    // The whole text was replaced.
    void reset();
    // The older text could not be moved to a file (`reason` says why): the
    // pane keeps its text in memory, up to memoryCap(). Said once, until the
    // next clear.
    void spillFailed(const QString &reason);

private:
    struct TimeFrom
    {
        qsizetype at; // the text position where this time starts
        qint64 ms;
    };
    // `lineStarts`: where the piece's lines start, if its writer knows.
    void appendText(QByteArrayView piece, qint64 arrivalMs, bool echo,
                    const std::span<const qsizetype> *lineStarts = nullptr);
    // Indexes, times and tells of the text the store took from `from` on.
    void takeAppended(qsizetype from, qint64 arrivalMs,
                      const std::span<const qsizetype> *lineStarts);
    void timeNewLines(qint64 arrivalMs);
    // The line times as the positions where they change.
    std::vector<TimeFrom> timeChanges() const;
    // Gives each line the time of the change its first byte is in, with the
    // changes' positions `shift` bytes further down.
    void retimeLines(const std::vector<TimeFrom> &changes, qsizetype shift);
    // Takes in a failed file: gives it back and says so once.
    void takeSpillFault();

    PaneStore m_store;
    PaneLineIndex m_lines;
    EchoRanges m_echo;
    PaneStyles m_styles;
    PaneTimes m_times;
    qsizetype m_historyBound = 0;
    qint64 m_notShown = 0;
    bool m_spillFaultTold = false;
};

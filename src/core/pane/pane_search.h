#pragma once

#include "core/line_break_rule.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <atomic>

class PaneSnapshot;
class PaneText;

// Finding text in a receive pane. The pane is read a window (a megabyte) at
// a time through a snapshot of it, never copied whole, so a pane spilled to
// its file is searched like one in memory; a match may straddle the pieces.
// A search on another thread reads a snapshot and can be stopped between
// windows (Control).
//
// The text is Latin-1, one char per byte; without match case, letters fold
// as Latin-1 letters do (A-Z, and the accented capitals from U+00C0 to
// U+00DE). A line break in the text searched for (CR, LF, CR LF, U+2028 or
// U+2029) stands for one line break of the pane as the pane's rule cuts its
// lines (LineBreaks, kept by the snapshot): under Any a CR LF, a lone LF or
// a lone CR; under CR LF only a CR LF pair whose LF is held; under LF an LF;
// under CR a CR. A CR or LF the rule keeps as a character is not a break.
class PaneSearch
{
public:
    struct Match
    {
        qsizetype start = -1;
        qsizetype length = 0;
        bool wrapped = false; // found only after going round the pane's end

        bool found() const { return start >= 0; }
        qsizetype end() const { return start + length; }
    };

    // Stops a search under way and tells how far it read; shared with the
    // thread that runs it.
    struct Control
    {
        std::atomic<bool> stop{false};
        // Bytes of the text whose matches were looked for.
        std::atomic<qsizetype> done{0};
    };

    // An empty `text`, or one with a character outside Latin-1, finds
    // nothing.
    PaneSearch(const QString &text, bool matchCase);

    bool isValid() const { return !m_tokens.isEmpty(); }

    // The first match starting at or after `from`, else the first one from
    // the start of the pane.
    Match next(const PaneSnapshot &pane, qsizetype from, Control *control = nullptr) const;
    // The last match starting before `before`, else the last one in the
    // pane.
    Match previous(const PaneSnapshot &pane, qsizetype before, Control *control = nullptr) const;
    // The same on the pane's own thread, over the text it holds now.
    Match next(const PaneText &pane, qsizetype from) const;
    Match previous(const PaneText &pane, qsizetype before) const;

    // The first match whose start lies in [lo, hi), or none (also when
    // stopped).
    Match firstIn(const PaneSnapshot &pane, qsizetype lo, qsizetype hi,
                  Control *control = nullptr) const;
    // The last match whose start lies in [lo, hi), or none.
    Match lastIn(const PaneSnapshot &pane, qsizetype lo, qsizetype hi,
                 Control *control = nullptr) const;

private:
    // A pattern byte, folded unless matching case; breakToken for a line
    // break.
    static constexpr int breakToken = 256;

    qsizetype anchorFirst(QByteArrayView window, qsizetype from, LineBreaks rule) const;
    // The match whose anchor starts at `anchorPos`, if the tokens before and
    // after the anchor match there, with line breaks as the pane's rule says.
    Match matchAround(const PaneSnapshot &pane, qsizetype anchorPos) const;
    // How far a match starts before its anchor under `rule`: a literal token
    // a byte, a line break one or two.
    qsizetype minBefore(LineBreaks rule) const;
    qsizetype maxBefore(LineBreaks rule) const;
    template <typename Visit>
    void scan(const PaneSnapshot &pane, qsizetype lo, qsizetype hi, bool backwards,
              Control *control, Visit &&visit) const;

    QList<int> m_tokens;
    // The longest run of literal bytes (folded), searched for first: a line
    // break that ends every line must not make every line a candidate. Empty
    // when the text is only line breaks.
    QByteArray m_anchor;
    qsizetype m_anchorAt = 0;     // its first token
    qsizetype m_breaksBefore = 0; // line breaks among the tokens before it
    const unsigned char *m_fold = nullptr;
    int m_skip[256] = {};
};

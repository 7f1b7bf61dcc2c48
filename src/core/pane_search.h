#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

class PaneText;

// Finding text in a receive pane. The pane is read piece by piece through
// its chunk API, never copied whole, so a pane spilled to its file is
// searched like one in memory; a match may straddle the pieces.
//
// The text is Latin-1, one char per byte; without match case, letters fold
// as Latin-1 letters do (A-Z, and the accented capitals from U+00C0 to
// U+00DE). A line break in the text searched for stands for any line break
// of the pane: CR LF, a lone LF or a lone CR.
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

    // An empty `text`, or one with a character outside Latin-1, finds
    // nothing.
    PaneSearch(const QString &text, bool matchCase);

    bool isValid() const { return !m_tokens.isEmpty(); }

    // The first match starting at or after `from`, else the first one from
    // the start of the pane.
    Match next(const PaneText &pane, qsizetype from) const;
    // The last match starting before `before`, else the last one in the
    // pane.
    Match previous(const PaneText &pane, qsizetype before) const;

    // The first match whose start lies in [lo, hi), or none.
    Match firstIn(const PaneText &pane, qsizetype lo, qsizetype hi) const;
    // The last match whose start lies in [lo, hi), or none.
    Match lastIn(const PaneText &pane, qsizetype lo, qsizetype hi) const;

private:
    // A pattern byte, folded unless matching case; breakToken for a line
    // break.
    static constexpr int breakToken = 256;

    qsizetype anchorFirst(QByteArrayView window, qsizetype from) const;
    // The match whose anchor starts at `anchorPos`, if the tokens before and
    // after the anchor match there.
    Match matchAround(const PaneText &pane, qsizetype anchorPos) const;
    template <typename Visit>
    void scan(const PaneText &pane, qsizetype lo, qsizetype hi, bool backwards,
              Visit &&visit) const;

    QList<int> m_tokens;
    // The longest run of literal bytes (folded), searched for first: a line
    // break that ends every line must not make every line a candidate. Empty
    // when the text is only line breaks.
    QByteArray m_anchor;
    qsizetype m_anchorAt = 0; // its first token
    // How far a match starts before its anchor: a token a byte, a line
    // break up to two.
    qsizetype m_minBefore = 0;
    qsizetype m_maxBefore = 0;
    const unsigned char *m_fold = nullptr;
    int m_skip[256] = {};
};

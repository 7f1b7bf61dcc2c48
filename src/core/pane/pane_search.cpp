#include "core/pane/pane_search.h"

#include "core/line_end_bytes.h"
#include "core/pane/pane_snapshot.h"
#include "core/pane/pane_text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

using FoldTable = std::array<unsigned char, 256>;

const FoldTable &sameTable()
{
    static const FoldTable table = [] {
        FoldTable t{};
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = uchar(b);
        return t;
    }();
    return table;
}

// Latin-1's capitals and their small letters; U+00D7 (the multiplication
// sign) sits among them and stays as it is.
const FoldTable &foldTable()
{
    static const FoldTable table = [] {
        FoldTable t = sameTable();
        for (int b = 'A'; b <= 'Z'; ++b)
            t[size_t(b)] = uchar(b + 32);
        for (int b = 0xc0; b <= 0xde; ++b) {
            if (b != 0xd7)
                t[size_t(b)] = uchar(b + 32);
        }
        return t;
    }();
    return table;
}

// Candidate starts are read a window at a time: large enough that the
// per-window costs vanish, small enough to stay in the cache.
constexpr qsizetype windowSize = qsizetype(1) << 20;

// How long a line break at `c` is under `rule`, or 0: `pair` says whether
// `c` is one end of a CR LF pair.
qsizetype breakLength(char c, bool pair, LineBreaks rule)
{
    switch (rule) {
    case LineBreaks::Any:
        return pair ? 2 : qsizetype(isLineEndByte(c));
    case LineBreaks::CrLf:
        return pair ? 2 : 0;
    case LineBreaks::Lf:
        return c == '\n';
    case LineBreaks::Cr:
        return c == '\r';
    }
    return 0;
}

// How long the line break starting at `at` (< the pane's size) is under
// `rule`, or 0 where none starts. A CR LF pair counts once its LF is held.
qsizetype breakFrom(const PaneSnapshot &pane, qsizetype at, LineBreaks rule)
{
    const char c = pane.at(at);
    return breakLength(c, c == '\r' && at + 1 < pane.size() && pane.at(at + 1) == '\n', rule);
}

// How long the line break ending at `end` (> 0) is under `rule`, or 0.
qsizetype breakUntil(const PaneSnapshot &pane, qsizetype end, LineBreaks rule)
{
    const char c = pane.at(end - 1);
    return breakLength(c, c == '\n' && end >= 2 && pane.at(end - 2) == '\r', rule);
}

// The first byte that may start a line break under `rule`, from `from` on,
// or -1.
qsizetype firstBreakByte(const unsigned char *bytes, qsizetype from, qsizetype n, LineBreaks rule)
{
    if (from >= n)
        return -1;
    if (rule == LineBreaks::Any) {
        for (qsizetype i = from; i < n; ++i) {
            if (isLineEndByte(char(bytes[i])))
                return i;
        }
        return -1;
    }
    // A CR LF pair starts at its CR.
    const int wanted = rule == LineBreaks::Lf ? '\n' : '\r';
    const void *hit = std::memchr(bytes + from, wanted, size_t(n - from));
    return hit ? static_cast<const unsigned char *>(hit) - bytes : -1;
}

} // namespace

PaneSearch::PaneSearch(const QString &text, bool matchCase)
    : m_fold(matchCase ? sameTable().data() : foldTable().data())
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator ||
            c == QChar::LineSeparator) {
            m_tokens.append(breakToken);
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            continue;
        }
        if (c > 0xff) {
            m_tokens.clear(); // the pane holds no such character
            return;
        }
        m_tokens.append(m_fold[c]);
    }
    // The anchor: the longest run of literal tokens, the first of equals.
    for (qsizetype t = 0; t < m_tokens.size();) {
        if (m_tokens.at(t) == breakToken) {
            ++t;
            continue;
        }
        qsizetype end = t;
        while (end < m_tokens.size() && m_tokens.at(end) != breakToken)
            ++end;
        if (end - t > m_anchor.size()) {
            m_anchorAt = t;
            m_anchor.clear();
            for (qsizetype i = t; i < end; ++i)
                m_anchor.append(char(m_tokens.at(i)));
        }
        t = end;
    }
    m_breaksBefore = std::count(m_tokens.cbegin(), m_tokens.cbegin() + m_anchorAt, breakToken);
    // Horspool's shifts, for every byte that folds to a pattern byte.
    const qsizetype m = m_anchor.size();
    std::fill(std::begin(m_skip), std::end(m_skip), int(std::max<qsizetype>(m, 1)));
    for (qsizetype i = 0; i + 1 < m; ++i) {
        for (int b = 0; b < 256; ++b) {
            if (m_fold[b] == uchar(m_anchor[i]))
                m_skip[b] = int(m - 1 - i);
        }
    }
}

qsizetype PaneSearch::minBefore(LineBreaks rule) const
{
    return m_anchorAt + m_breaksBefore * (rule == LineBreaks::CrLf ? 1 : 0);
}

qsizetype PaneSearch::maxBefore(LineBreaks rule) const
{
    const bool pairs = rule == LineBreaks::Any || rule == LineBreaks::CrLf;
    return m_anchorAt + m_breaksBefore * (pairs ? 1 : 0);
}

qsizetype PaneSearch::anchorFirst(QByteArrayView window, qsizetype from, LineBreaks rule) const
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(window.data());
    const qsizetype n = window.size();
    const qsizetype m = m_anchor.size();
    if (m == 0) {
        // The text starts with a line break: every byte that may start one
        // is a candidate.
        return firstBreakByte(bytes, from, n, rule);
    }
    const auto *anchor = reinterpret_cast<const unsigned char *>(m_anchor.constData());
    if (m == 1) {
        if (m_fold == sameTable().data()) {
            const void *hit =
                from < n ? std::memchr(bytes + from, anchor[0], size_t(n - from)) : nullptr;
            return hit ? static_cast<const unsigned char *>(hit) - bytes : -1;
        }
        for (qsizetype i = from; i < n; ++i) {
            if (m_fold[bytes[i]] == anchor[0])
                return i;
        }
        return -1;
    }
    for (qsizetype pos = from; pos + m <= n;) {
        const unsigned char last = bytes[pos + m - 1];
        if (m_fold[last] == anchor[m - 1]) {
            qsizetype i = m - 2;
            while (i >= 0 && m_fold[bytes[pos + i]] == anchor[i])
                --i;
            if (i < 0)
                return pos;
        }
        pos += m_skip[last];
    }
    return -1;
}

PaneSearch::Match PaneSearch::matchAround(const PaneSnapshot &pane, qsizetype anchorPos) const
{
    const qsizetype size = pane.size();
    const LineBreaks rule = pane.lineBreaks();
    // Back over the tokens before the anchor; a CR LF may be one line break.
    qsizetype start = anchorPos;
    for (qsizetype t = m_anchorAt - 1; t >= 0; --t) {
        if (start == 0)
            return {};
        if (m_tokens.at(t) != breakToken) {
            if (m_fold[uchar(pane.at(start - 1))] != m_tokens.at(t))
                return {};
            --start;
        } else if (const qsizetype length = breakUntil(pane, start, rule)) {
            start -= length;
        } else {
            return {};
        }
    }
    // A match starts at a line break's start, never between its CR and LF.
    if (rule == LineBreaks::Any && m_tokens.first() == breakToken && start > 0 &&
        pane.at(start) == '\n' && pane.at(start - 1) == '\r')
        return {};
    // On over the tokens after it.
    qsizetype at = anchorPos + m_anchor.size();
    for (qsizetype t = m_anchorAt + m_anchor.size(); t < m_tokens.size(); ++t) {
        if (at >= size)
            return {};
        if (m_tokens.at(t) != breakToken) {
            if (m_fold[uchar(pane.at(at))] != m_tokens.at(t))
                return {};
            ++at;
        } else if (const qsizetype length = breakFrom(pane, at, rule)) {
            at += length;
        } else {
            return {};
        }
    }
    return {start, at - start, false};
}

template <typename Visit>
void PaneSearch::scan(const PaneSnapshot &pane, qsizetype lo, qsizetype hi, bool backwards,
                      Control *control, Visit &&visit) const
{
    // A window covers the matches starting in [start, end): the anchors
    // that may belong to them, and the anchor's own length after the last.
    QByteArray window;
    const qsizetype nearest = minBefore(pane.lineBreaks());
    const qsizetype farthest = maxBefore(pane.lineBreaks());
    const qsizetype windows = (hi - lo + windowSize - 1) / windowSize;
    for (qsizetype k = 0; k < windows; ++k) {
        if (control && control->stop.load(std::memory_order_relaxed))
            return;
        const qsizetype start = lo + (backwards ? windows - 1 - k : k) * windowSize;
        const qsizetype end = std::min(hi, start + windowSize);
        if (control)
            control->done.fetch_add(end - start, std::memory_order_relaxed);
        const qsizetype from = start + nearest;
        const qsizetype anchorsEnd = std::min(end + farthest, pane.size());
        if (from >= anchorsEnd)
            continue;
        window.resize(0);
        pane.forEachChunk(from, anchorsEnd - from + std::max<qsizetype>(m_anchor.size() - 1, 0),
                          [&window](QByteArrayView chunk) {
                              window.append(chunk);
                              return true;
                          });
        if (!visit(start, end, from, anchorsEnd, QByteArrayView(window)))
            return;
    }
}

PaneSearch::Match PaneSearch::firstIn(const PaneSnapshot &pane, qsizetype lo, qsizetype hi,
                                      Control *control) const
{
    Match found;
    lo = std::clamp<qsizetype>(lo, 0, pane.size());
    hi = std::clamp<qsizetype>(hi, lo, pane.size());
    if (!isValid())
        return found;
    const LineBreaks rule = pane.lineBreaks();
    const qsizetype farthest = maxBefore(rule);
    scan(pane, lo, hi, false, control,
         [&](qsizetype start, qsizetype end, qsizetype from, qsizetype anchorsEnd,
             QByteArrayView window) {
             for (qsizetype p = anchorFirst(window, 0, rule); p >= 0 && from + p < anchorsEnd;
                  p = anchorFirst(window, p + 1, rule)) {
                 // Later anchors can't start an earlier match.
                 if (found.found() && from + p - farthest > found.start)
                     break;
                 const Match match = matchAround(pane, from + p);
                 if (match.found() && match.start >= start && match.start < end &&
                     (!found.found() || match.start < found.start))
                     found = match;
             }
             return !found.found();
         });
    return found;
}

PaneSearch::Match PaneSearch::lastIn(const PaneSnapshot &pane, qsizetype lo, qsizetype hi,
                                     Control *control) const
{
    Match found;
    lo = std::clamp<qsizetype>(lo, 0, pane.size());
    hi = std::clamp<qsizetype>(hi, lo, pane.size());
    if (!isValid())
        return found;
    const LineBreaks rule = pane.lineBreaks();
    scan(pane, lo, hi, true, control,
         [&](qsizetype start, qsizetype end, qsizetype from, qsizetype anchorsEnd,
             QByteArrayView window) {
             for (qsizetype p = anchorFirst(window, 0, rule); p >= 0 && from + p < anchorsEnd;
                  p = anchorFirst(window, p + 1, rule)) {
                 const Match match = matchAround(pane, from + p);
                 if (match.found() && match.start >= start && match.start < end &&
                     (!found.found() || match.start > found.start))
                     found = match;
             }
             return !found.found();
         });
    return found;
}

PaneSearch::Match PaneSearch::next(const PaneSnapshot &pane, qsizetype from, Control *control) const
{
    from = std::clamp<qsizetype>(from, 0, pane.size());
    Match match = firstIn(pane, from, pane.size(), control);
    if (!match.found()) {
        match = firstIn(pane, 0, from, control);
        match.wrapped = match.found();
    }
    return match;
}

PaneSearch::Match PaneSearch::previous(const PaneSnapshot &pane, qsizetype before,
                                       Control *control) const
{
    before = std::clamp<qsizetype>(before, 0, pane.size());
    Match match = lastIn(pane, 0, before, control);
    if (!match.found()) {
        match = lastIn(pane, before, pane.size(), control);
        match.wrapped = match.found();
    }
    return match;
}

PaneSearch::Match PaneSearch::next(const PaneText &pane, qsizetype from) const
{
    return next(pane.snapshot(), from);
}

PaneSearch::Match PaneSearch::previous(const PaneText &pane, qsizetype before) const
{
    return previous(pane.snapshot(), before);
}

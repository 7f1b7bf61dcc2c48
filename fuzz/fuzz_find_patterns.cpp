// Find in a pane: for any pane text and any text searched for, with or
// without match case, under any line break rule of the pane, the matches
// PaneSearch reports are exactly those a naive search finds, start and length: walked forwards and
// backwards, in ranges, and from any place with Next and Previous going round the end. The pane can
// put its text across a block boundary, so matches straddle the pieces the search reads.
#include "core/line_break_rule.h"
#include "core/pane/pane_search.h"
#include "core/pane/pane_snapshot.h"
#include "core/pane/pane_text.h"
#include "fuzz_check.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct Found
{
    qsizetype start;
    qsizetype length;
};

// The naive search: at each place in turn, walk the text searched for. A
// line break in it (CR LF, CR, LF, U+2028, U+2029) takes one line break of
// the pane as its rule has them: under Any a CR LF, CR or LF, CR LF being
// one, and no match starts between a CR and its LF; under CR LF a CR LF;
// under LF an LF; under CR a CR.
class NaiveSearch
{
public:
    NaiveSearch(const QString &text, bool matchCase, LineBreaks rule)
        : m_matchCase(matchCase)
        , m_rule(rule)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c == u'\r' || c == u'\n' || c == QChar(0x2028) || c == QChar(0x2029)) {
                m_text.append(-1);
                if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                    ++i;
            } else if (c.unicode() > 0xff) {
                m_text.clear();
                return;
            } else {
                m_text.append(fold(c.unicode()));
            }
        }
    }

    QList<Found> all(const QByteArray &pane) const
    {
        QList<Found> found;
        if (m_text.isEmpty())
            return found;
        for (qsizetype start = 0; start < pane.size(); ++start) {
            if (m_rule == LineBreaks::Any && start > 0 && pane[start - 1] == '\r' &&
                pane[start] == '\n')
                continue;
            const qsizetype end = matchEnd(pane, start);
            if (end >= 0)
                found.append({start, end - start});
        }
        return found;
    }

private:
    int fold(int c) const { return m_matchCase ? c : QChar(char16_t(c)).toLower().unicode(); }

    qsizetype matchEnd(const QByteArray &pane, qsizetype at) const
    {
        for (const int want : m_text) {
            if (at >= pane.size())
                return -1;
            const char c = pane[at];
            if (want >= 0) {
                if (c == '\r' || c == '\n' || fold(uchar(c)) != want)
                    return -1;
                ++at;
            } else {
                const qsizetype length = breakLength(pane, at);
                if (length == 0)
                    return -1;
                at += length;
            }
        }
        return at;
    }

    // The bytes the line break at `at` takes, or 0 where there is none.
    qsizetype breakLength(const QByteArray &pane, qsizetype at) const
    {
        const bool cr = pane[at] == '\r';
        const bool lf = pane[at] == '\n';
        const bool pair = cr && at + 1 < pane.size() && pane[at + 1] == '\n';
        switch (m_rule) {
        case LineBreaks::Any:
            return pair ? 2 : (cr || lf ? 1 : 0);
        case LineBreaks::CrLf:
            return pair ? 2 : 0;
        case LineBreaks::Lf:
            return lf ? 1 : 0;
        case LineBreaks::Cr:
            return cr ? 1 : 0;
        }
        return 0;
    }

    bool m_matchCase;
    LineBreaks m_rule;
    QList<int> m_text; // folded Latin-1 codes, -1 for a line break
};

void checkSame(const PaneSearch::Match &match, const Found *expected, bool wrapped,
               const char *what)
{
    if (!expected) {
        check(!match.found(), what);
        return;
    }
    check(match.found() && match.start == expected->start && match.length == expected->length &&
              match.wrapped == wrapped,
          what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    g_input = QByteArrayView(data, qsizetype(size));
    // Flags and the length of the text searched for; with a pad, how far
    // before a block boundary the text starts (its low five bits), and the
    // pane's line break rule (the next two); the text searched for; four
    // places to search from; the pane's text.
    if (size < 6)
        return 0;
    const uint8_t flags = data[0];
    const bool matchCase = flags & 1;
    const bool pad = flags & 2;
    constexpr LineBreaks rules[] = {LineBreaks::Any, LineBreaks::CrLf, LineBreaks::Lf,
                                    LineBreaks::Cr};
    const LineBreaks rule = rules[(data[1] >> 5) & 3];
    const qsizetype patternLength = std::min<qsizetype>(flags >> 3, qsizetype(size) - 6);
    QString pattern = QString::fromLatin1(reinterpret_cast<const char *>(data + 2), patternLength);
    if (flags & 4) // characters a pane never holds: a line separator, and one beyond Latin-1
        pattern.replace(QChar(1), QChar(0x2028)).replace(QChar(2), QChar(0x100));
    const uint8_t *places = data + 2 + patternLength;
    const QByteArrayView typed(places + 4, qsizetype(size) - 6 - patternLength);

    PaneText pane;
    pane.setSpillThreshold(32 * 1024); // blocks of a page, and nothing spilled
    pane.setLineBreaks(rule);
    QByteArray text;
    if (pad)
        text = QByteArray(4096 - data[1] % 32, '.');
    text += typed;
    pane.append(QByteArrayView(text).first(text.size() / 2));
    pane.append(QByteArrayView(text).sliced(text.size() / 2));

    const PaneSearch search(pattern, matchCase);
    const QList<Found> expected = NaiveSearch(pattern, matchCase, rule).all(text);
    check(search.isValid() || expected.isEmpty(), "valid text reported invalid");

    // Ranges are searched in a snapshot, as the find thread does; Next and
    // Previous on the pane itself.
    const PaneSnapshot snapshot = pane.snapshot();
    // Every match, forwards and backwards (the first few, to stay quick).
    constexpr qsizetype most = 32;
    qsizetype from = 0;
    for (qsizetype i = 0; i < std::min(most, expected.size() + 1); ++i) {
        const PaneSearch::Match match = search.firstIn(snapshot, from, pane.size());
        checkSame(match, i < expected.size() ? &expected.at(i) : nullptr, false, "firstIn");
        from = match.start + 1;
    }
    qsizetype before = pane.size();
    for (qsizetype i = 0; i < std::min(most, expected.size() + 1); ++i) {
        const PaneSearch::Match match = search.lastIn(snapshot, 0, before);
        const qsizetype index = expected.size() - 1 - i;
        checkSame(match, index >= 0 ? &expected.at(index) : nullptr, false, "lastIn");
        before = match.start;
    }

    // Next and Previous from the given places, and the ranges between them.
    auto place = [&](int i) {
        return qsizetype(places[i]) * (pane.size() + 1) / 256;
    };
    for (int i = 0; i < 4; ++i) {
        const qsizetype at = place(i);
        const Found *after = nullptr;
        const Found *beforeAt = nullptr;
        for (const Found &f : expected) {
            if (!after && f.start >= at)
                after = &f;
            if (f.start < at)
                beforeAt = &f;
        }
        const Found *first = expected.isEmpty() ? nullptr : &expected.first();
        const Found *last = expected.isEmpty() ? nullptr : &expected.last();
        checkSame(search.next(pane, at), after ? after : first, !after && first, "next");
        checkSame(search.previous(pane, at), beforeAt ? beforeAt : last, !beforeAt && last,
                  "previous");

        const qsizetype lo = std::min(at, place((i + 1) % 4));
        const qsizetype hi = std::max(at, place((i + 1) % 4));
        const Found *firstInRange = nullptr;
        const Found *lastInRange = nullptr;
        for (const Found &f : expected) {
            if (f.start >= lo && f.start < hi) {
                if (!firstInRange)
                    firstInRange = &f;
                lastInRange = &f;
            }
        }
        checkSame(search.firstIn(snapshot, lo, hi), firstInRange, false, "firstIn a range");
        checkSame(search.lastIn(snapshot, lo, hi), lastInRange, false, "lastIn a range");
    }
    return 0;
}

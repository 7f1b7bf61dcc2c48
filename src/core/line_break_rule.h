#pragma once

#include <QByteArrayView>
#include <QLatin1String>
#include <QtGlobal>

class PaneStore;

// Which received bytes end a line in a receive pane. Any is what a pane does
// unless told otherwise: CR LF, a lone LF and a lone CR each end one line.
// The others end a line only at CR LF, at every LF, or at every CR; a CR or
// LF that does not end a line stays in it as a character (the view shows its
// stand-in glyph). The rule shapes only how the text is cut into lines: the
// text itself is never changed by it.
enum class LineBreaks
{
    Any,
    CrLf,
    Lf,
    Cr
};

QLatin1String keywordOf(LineBreaks rule);

namespace LineBreakRule {

// Where the first line break in [from, to) starts, or `to`. A CR LF pair
// counts once its LF is held.
qsizetype find(const PaneStore &store, LineBreaks rule, qsizetype from, qsizetype to);
// Where the line after the break starting at `at` starts.
qsizetype after(const PaneStore &store, LineBreaks rule, qsizetype at);
// The length of the break that ends just before line start `next` (> 0).
qsizetype lengthBefore(const PaneStore &store, LineBreaks rule, qsizetype next);
// Bytes that end a line under `rule`, for text the program adds itself.
QByteArrayView bytesOf(LineBreaks rule);

} // namespace LineBreakRule

#pragma once

#include "core/pane/terminal_style.h"

#include <QByteArrayView>

// The pen changes of the SGR sequences (ESC [ numbers m) a coloured console
// sends between words, read without libvterm: the reset, bold, italic,
// underline, blink, reverse and strike on and off, the 16 named colours and
// the default ones. Each gives the pen libvterm's state layer would.
namespace TerminalPenSequences {

// Applies `bytes`, whole SGR sequences only, to `pen` and returns true; or
// returns false and leaves `pen` alone where any part is not one of those
// (a 256-colour or RGB choice, ':' sub-numbers, another sequence).
// `*startsWithReset` tells whether the first sequence resets the pen first.
bool apply(QByteArrayView bytes, TerminalStyle &pen, bool *startsWithReset);

} // namespace TerminalPenSequences

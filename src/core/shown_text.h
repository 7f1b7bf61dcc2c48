#pragma once

#include <QString>
#include <QStringView>

// Text that came from a peer, a file or the operator (a file name, a path, a
// host, a program's words) as it is shown in one line of a dialog or list:
// every control character, and every character that reorders or hides text
// (bidirectional overrides, line and paragraph separators), is written out
// as an escape ("\n", "\t", "\x1B", "\u202E"), so a name is never shown as
// two lines or two entries, nor displayed in another order than it is.
// The result is still plain text: it must be shown as such (Qt::PlainText).
QString shownText(QStringView text);

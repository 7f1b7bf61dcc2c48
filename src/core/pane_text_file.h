#pragma once

#include <QString>

class PaneText;

// Writes the pane's text to `path`, one byte per character (Latin-1), as a
// whole: the file is replaced only once everything is written. Returns an
// empty text, or why it failed.
QString savePaneText(const PaneText &pane, const QString &path);

#pragma once

#include "core/pane/line_time_text.h"

#include <QString>

class PaneText;

// Writes the pane's text to `path`, one byte per character (Latin-1), as a
// whole: the file is replaced only once everything is written. Returns an
// empty text, or why it failed. With a time form, each line has its
// arrival time before it (see LineTimeText).
QString savePaneText(const PaneText &pane, const QString &path,
                     LineTimeForm times = LineTimeForm::Off);

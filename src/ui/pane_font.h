#pragma once

#include <QFont>

// The receive panes' face: the desktop's fixed-pitch font when it really is
// one, else a fixed-pitch face the program can count on (some desktops name
// a font as their fixed one that Qt sees as proportional).
QFont paneFont();

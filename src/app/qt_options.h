#pragma once

#include <QStringList>

// Qt's own command-line options, which QApplication takes out of the command
// line when it is created (-style fusion, -platform offscreen, -reverse...).
// The program checks its own options before any application object exists,
// so it first sets Qt's aside: what is left must be the program's alone.
//
// Each Qt option may start with one dash or two, and one that takes a value
// takes it as the next argument or after '=' (-style=fusion).
QStringList withoutQtOptions(const QStringList &arguments);

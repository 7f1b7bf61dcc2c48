#pragma once

#include <QIcon>

// The program's icon, drawn at whatever size is asked for: a dark rounded
// square with two stacked channel traces, green above amber. Every window
// of the program carries it.
QIcon programIcon();

#pragma once

#include <QStringList>

// Finds the program's open message boxes, dismisses them with OK and returns
// their texts (text, then informative text when there is one, joined by "\n").
QStringList dismissMessageBoxes();

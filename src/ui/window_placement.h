#pragma once

class QWidget;

// Centres a top-level window on its owner's window, or on the screen when it
// has none.
void centreOnOwner(QWidget *window);

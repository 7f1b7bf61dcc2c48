#pragma once

class QWidget;

// Centres a top-level window on its owner's window, or on the screen when it
// has none.
void centreOnOwner(QWidget *window);

// Grows a window towards its size hint, up to nine tenths of its screen's
// free area (never shrinks it).
void growToHint(QWidget *window);

#pragma once

#include "core/pane/pane_text.h"
#include "ui/capture_pane.h"

#include <QElapsedTimer>
#include <QScrollBar>

// A pane and its view, as the main window shows them.
struct ShownPane
{
    PaneText text;
    CapturePane view;
    ShownPane()
    {
        view.setModel(&text);
        view.resize(313, 169);
        view.show();
    }
};

// Times one repaint of `view` after scrolling to `value`, in ms.
inline double repaintAt(CapturePane &view, int value)
{
    QElapsedTimer clock;
    clock.start();
    view.verticalScrollBar()->setValue(value);
    view.viewport()->repaint();
    return clock.nsecsElapsed() / 1e6;
}

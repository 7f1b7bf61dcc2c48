#pragma once

#include "core/pane_text.h"
#include "ui/capture_pane.h"

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

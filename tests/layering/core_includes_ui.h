// A core file that reaches up into the window layer.
#include "ui/capture_pane.h"

// A device file that uses a widget header.
#include <QtWidgets/QWidget>

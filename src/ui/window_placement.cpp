#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void centreOnOwner(QWidget *window)
{
    QRect area;
    if (QWidget *owner = window->parentWidget())
        area = owner->window()->frameGeometry();
    else if (QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

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

void growToHint(QWidget *window)
{
    // adjustSize() stops at two thirds of the screen; a window of many
    // channel views may use up to nine tenths of it before it scrolls.
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize room = screen->availableGeometry().size() * 9 / 10;
    const QSize wanted = window->sizeHint().boundedTo(room);
    window->resize(window->size().expandedTo(wanted));
}

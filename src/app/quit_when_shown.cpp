#include "app/quit_when_shown.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>

bool QuitWhenShown::asked()
{
    return qEnvironmentVariableIsSet("VARNOK_QUIT_WHEN_SHOWN");
}

QuitWhenShown::QuitWhenShown(QWidget *window)
    : QObject(window)
{
    window->installEventFilter(this);
}

bool QuitWhenShown::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        std::puts("varnokterm: first window shown");
        std::fflush(stdout);
        // After the paint: the window is on the screen when the program ends.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }
    return false;
}

#include "moc_quit_when_shown.cpp"

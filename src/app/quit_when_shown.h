#pragma once

#include <QObject>

class QWidget;

// For the start-time benchmark (bench/start_time.sh): with the environment
// variable VARNOK_QUIT_WHEN_SHOWN set, the program ends with status 0 as soon
// as its first window has been painted, and says so on standard output.
// Without it, nothing changes.
class QuitWhenShown : public QObject
{
    Q_OBJECT

public:
    static bool asked();
    // Watches `window`, which is about to show, for its first paint.
    explicit QuitWhenShown(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#pragma once

#include "core/channel_state.h"
#include "ui/display_window.h"
#include "ui/sign_on_window.h"

#include <QObject>
#include <QPointer>

#include <memory>

// The program's run: the sign-on splash first, then the main window. Holds
// the program-wide channel values for the whole run.
class ProgramStart : public QObject
{
    Q_OBJECT

public:
    ProgramStart();
    ~ProgramStart() override;

    void start();

    ModuleValues module;
    SignOnWindow *signOn() const { return m_signOn; }
    DisplayWindow *display() const { return m_display.get(); }

private:
    void showMain();

    QPointer<SignOnWindow> m_signOn;
    std::unique_ptr<DisplayWindow> m_display;
};

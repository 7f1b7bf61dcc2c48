#pragma once

#include "devices/channel.h"
#include "ui/display_controls.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class AboutBox;
class CaptureMenu;
class CaptureSession;
class ChannelStatusBar;
class FormatDialog;
class LinkMenu;
class QMenu;
class MonitorCommands;
class PlotCommands;
class PrintDialogComponent;
class ScriptCommands;
class SendButtonCommands;
class SendFileCommands;
class SerialSetupDialog;
class SetupCommands;
class ViewMenu;

// The main window. The object lives for the whole run; its controls (a
// ChannelView per channel, with the channel's own actions and menus, which
// the window's menus list) and print dialog are made at each load and
// destroyed at each unload (the serial settings dialog's Apply reloads it),
// when the channels also close their ports and connection and every
// recording stops. A reload keeps what was captured: the panes' text and
// times, each port list's choice, and the channels' plots open in a window
// or in a view. Its menus and status line live as long as the window.
class DisplayWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit DisplayWindow(CaptureSession &session, QWidget *parent = nullptr);
    ~DisplayWindow() override;

    // Builds the controls and runs the start-up steps. `closeSignOn` is
    // called last, to close the sign-on splash.
    void load(Channel::PaneOnLoad panes = Channel::PaneOnLoad::Emptied);
    void unload();
    // Unload, load again and show: both channels come back off (a log
    // recording notes why before it ends), their modes back to their start
    // values, with the panes' text and times and the port lists' choices
    // (a network entry with its host and port) as they were.
    void reload();

    DisplayControls *controls() const { return m_controls; }
    CaptureMenu *captureMenu() const { return m_captureMenu; }
    LinkMenu *linkMenu() const { return m_linkMenu; }
    ViewMenu *viewMenu() const { return m_viewMenu; }
    PlotCommands *plotCommands() const { return m_plotCommands; }
    MonitorCommands *monitorCommands() const { return m_monitorCommands; }
    ChannelStatusBar *statusLine() const { return m_statusLine; }
    SetupCommands *setupCommands() const { return m_setupCommands; }
    SendFileCommands *sendFileCommands() const { return m_sendFileCommands; }
    SendButtonCommands *sendButtonCommands() const { return m_sendButtonCommands; }
    ScriptCommands *scriptCommands() const { return m_scriptCommands; }

    void setCloseSignOn(std::function<void()> closeSignOn)
    {
        m_closeSignOn = std::move(closeSignOn);
    }
    // Tests replace the modal print dialog.
    using PrintDialogFactory = std::function<std::unique_ptr<PrintDialogComponent>()>;
    void setPrintDialogFactory(PrintDialogFactory factory)
    {
        m_printDialogFactory = std::move(factory);
    }

    // The menu commands.
    void print();
    void exitProgram();
    void showSerialSetup();
    void showFormat();
    void showAbout();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    // Closes the ports and the connection and stops every recording; with
    // `waitForFiles`, returns once every file is written, synced and closed.
    void closeConnections(bool waitForFiles);

    CaptureSession &m_session;
    QPointer<DisplayControls> m_controls;
    CaptureMenu *m_captureMenu = nullptr;
    LinkMenu *m_linkMenu = nullptr;
    ViewMenu *m_viewMenu = nullptr;
    QMenu *m_receiveViewMenu = nullptr; // Setup > Receive View
    QMenu *m_enterSendsMenu = nullptr;  // Setup > Enter Sends
    PlotCommands *m_plotCommands = nullptr;
    MonitorCommands *m_monitorCommands = nullptr;
    ChannelStatusBar *m_statusLine = nullptr;
    SetupCommands *m_setupCommands = nullptr;
    SendFileCommands *m_sendFileCommands = nullptr;
    SendButtonCommands *m_sendButtonCommands = nullptr;
    ScriptCommands *m_scriptCommands = nullptr;
    std::unique_ptr<PrintDialogComponent> m_dlgPrint;
    PrintDialogFactory m_printDialogFactory;
    std::function<void()> m_closeSignOn;
    QPointer<SerialSetupDialog> m_serialSetup;
    QPointer<FormatDialog> m_format;
    QPointer<AboutBox> m_about;
    bool m_printing = false;
};

#pragma once

// The program as an operator runs it, for benchmarks: a loaded, shown main
// window over a fresh session, and the sources that feed a channel (a
// pseudo-terminal, or a peer on 127.0.0.1).

#include "loopback_listener.h"

#include "devices/capture_session.h"
#include "ui/channel_group.h"
#include "ui/display_window.h"

#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include <functional>
#include <memory>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

struct Program
{
    CaptureSession session;
    DisplayWindow window{session};
    Program()
    {
        session.setSignOnDefaults();
        window.load();
        window.show();
    }
    ChannelGroup &channel(int n) { return window.controls()->group(n); }
    void choose(int n, const char *display, const char *format)
    {
        const QString suffix = QString::number(n);
        window.findChild<QRadioButton *>(QLatin1String(display) + suffix)->click();
        window.findChild<QRadioButton *>(QLatin1String(format) + suffix)->click();
    }
};

struct Pty
{
    int master = -1, slave = -1;
    QString path;
    Pty()
    {
        char name[256] = {};
        openpty(&master, &slave, name, nullptr, nullptr);
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        path = QString::fromLocal8Bit(name);
    }
    ~Pty()
    {
        ::close(master);
        ::close(slave);
    }
};

struct Source
{
    bool tcp = false;
    std::unique_ptr<Pty> pty;
    std::unique_ptr<LoopbackListener> listener;
    int peer = -1;
    ~Source()
    {
        if (peer >= 0)
            ::close(peer);
    }
};

// Switches the channel on to a fresh source; returns the fd to write to.
inline int attach(Program &program, Source &source)
{
    if (!source.tcp) {
        source.pty = std::make_unique<Pty>();
        program.channel(2).widgets().cmbPort->setEditText(source.pty->path);
        program.channel(2).widgets().optOn->click();
        return source.pty->master;
    }
    source.listener = std::make_unique<LoopbackListener>();
    program.channel(1).widgets().cmbPort->setEditText(QStringLiteral("TCP"));
    program.channel(1).widgets().txtHost->setText(QStringLiteral("127.0.0.1"));
    program.channel(1).widgets().txtPort->setText(QString::number(source.listener->port));
    program.channel(1).widgets().optOn->click();
    source.peer = source.listener->accept();
    return source.peer;
}

// Runs the event loop as the program does (sleeping while idle) until
// `done`, looking every 10 ms.
inline bool runLoopUntil(const std::function<bool()> &done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    check.setInterval(10);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, [&loop] { loop.exit(1); });
    check.start();
    return loop.exec() == 0;
}

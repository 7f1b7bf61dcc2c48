#pragma once

#include "devices/capture_session.h"
#include "ui/channel_group.h"
#include "ui/display_window.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QRadioButton;

// The Display option of a channel group for a mode's caption ("Real Time",
// "Time Out", "After CR").
QRadioButton *displayOption(const ChannelGroup &c, const QString &mode);

// A loaded, shown main window over fresh program-wide values, as the sign-on
// splash leaves them.
class DisplayFixture
{
public:
    explicit DisplayFixture(int channelCount = defaultChannelCount);
    ~DisplayFixture();

    CaptureSession session;
    std::unique_ptr<DisplayWindow> window;

    DisplayControls &controls() const { return *window->controls(); }
    // A channel's controls, and the Channel object they are bound to.
    ChannelGroup &channel(int number) const;
    Channel &state(int number) { return session.channel(number); }
    // The "On"/"Off" switch of a channel, as the operator clicks it.
    void switchOn(int number);
    void switchOff(int number);
    bool isOn(int number) const;
    // Chooses an entry of channel 1's port list as with the mouse.
    void choosePort1(const QString &entry) { choosePort(1, entry); }
    void choosePort(int channelNumber, const QString &entry);
    // Channel 1 to a TCP peer on this machine.
    void switchOnTcp(quint16 port);
    QByteArray paneText(int number) const;
    // Types text into a channel's transmit line, key by key.
    void type(int number, const QString &text);
    void pressEnter(int number);
};

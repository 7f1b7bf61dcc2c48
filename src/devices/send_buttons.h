#pragma once

#include "core/send_button.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <array>

class Channel;

// A channel's send buttons: up to SendButton::perChannel definitions, kept
// for the whole run (and in setup files), and what pressing one does.
// A press sends the button's bytes through Channel::sendUntyped: they count
// and are logged as sent, and stay out of the transmit records, so Repeat
// never resends them. A button with a repeat time starts resending at that
// interval and stops at the next press, at its redefinition, or when the
// channel goes off; while the channel waits to reconnect it goes on and
// sends nothing, and its sends resume once the link is back. Only a good
// definition is kept: its text always reads, and is at most
// SendButton::longestText characters.
// A press that sends nothing (the channel is off or waits to reconnect, or
// its queue is full) queues nothing and says why with refused().
class SendButtons : public QObject
{
    Q_OBJECT

public:
    explicit SendButtons(Channel &channel);

    const SendButton &button(int index) const { return m_slots.at(size_t(index)).button; }
    SendButtonList buttons() const;
    bool anyDefined() const;
    // Replaces button `index` (an undefined one removes it); stops its
    // repeating. An error (nothing changed) when its text is too long or
    // does not read, or its repeat time is out of range.
    QString define(int index, const SendButton &button);

    // The operator pressed button `index`; an undefined one does nothing.
    void press(int index);
    bool isRepeating(int index) const { return m_slots.at(size_t(index)).timer.isActive(); }
    void stopAll();

signals:
    void definitionsChanged();
    void repeatingChanged(int index, bool repeating);
    void refused(const QString &text);

private:
    struct Slot
    {
        SendButton button;
        QByteArray bytes;
        QTimer timer;
    };
    bool sendOnce(int index);
    void stop(int index);

    Channel &m_channel;
    std::array<Slot, SendButton::perChannel> m_slots;
};

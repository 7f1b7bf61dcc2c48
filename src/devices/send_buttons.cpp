#include "devices/send_buttons.h"

#include "core/send_text.h"
#include "devices/channel.h"

#include <QLocale>

#include <algorithm>

SendButtons::SendButtons(Channel &channel)
    : m_channel(channel)
{
    for (int i = 0; i < SendButton::perChannel; ++i)
        connect(&m_slots.at(size_t(i)).timer, &QTimer::timeout, this, [this, i] {
            // A link waiting to come back skips its turns: the button goes on.
            if (m_channel.isOn() && m_channel.isWaiting())
                return;
            if (!sendOnce(i))
                stop(i);
        });
}

SendButtonList SendButtons::buttons() const
{
    SendButtonList list;
    for (const Slot &slot : m_slots)
        list.append(slot.button);
    return list;
}

bool SendButtons::anyDefined() const
{
    return std::any_of(m_slots.begin(), m_slots.end(),
                       [](const Slot &slot) { return slot.button.isDefined(); });
}

QString SendButtons::define(int index, const SendButton &button)
{
    if (index < 0 || index >= SendButton::perChannel)
        return tr("There are %1 send buttons.").arg(SendButton::perChannel);
    if (button.isDefined() && button.text.size() > SendButton::longestText)
        return tr("The text has %1 characters; a button sends at most %2.")
            .arg(QLocale().toString(button.text.size()),
                 QLocale().toString(SendButton::longestText));
    const SendText::Reading reading = SendText::of(button.text, button.hexPairs);
    if (button.isDefined() && !reading.ok())
        return reading.error;
    if (button.repeatMs != 0 && (button.repeatMs < SendButton::shortestRepeatMs ||
                                 button.repeatMs > SendButton::longestRepeatMs))
        return tr("Repeat every %1 to %2 ms, or 0 to send once.")
            .arg(SendButton::shortestRepeatMs)
            .arg(SendButton::longestRepeatMs);
    stop(index);
    Slot &slot = m_slots.at(size_t(index));
    slot.button = button.isDefined() ? button : SendButton{};
    slot.bytes = button.isDefined() ? reading.bytes : QByteArray();
    emit definitionsChanged();
    return {};
}

void SendButtons::press(int index)
{
    if (index < 0 || index >= SendButton::perChannel)
        return;
    Slot &slot = m_slots.at(size_t(index));
    if (!slot.button.isDefined())
        return;
    if (slot.timer.isActive()) {
        stop(index);
        return;
    }
    if (!sendOnce(index) || slot.button.repeatMs == 0)
        return;
    slot.timer.start(slot.button.repeatMs);
    emit repeatingChanged(index, true);
}

bool SendButtons::sendOnce(int index)
{
    const Slot &slot = m_slots.at(size_t(index));
    const QString who =
        tr("Comm Port %1, button \"%2\"").arg(m_channel.number()).arg(slot.button.name);
    if (!m_channel.isOn()) {
        emit refused(tr("%1: nothing sent, the port is off.").arg(who));
        return false;
    }
    if (m_channel.isWaiting()) {
        emit refused(tr("%1: nothing sent, the port waits to reconnect.").arg(who));
        return false;
    }
    if (slot.bytes.isEmpty())
        return true;
    if (!m_channel.sendUntyped(Transmission(slot.bytes))) {
        emit refused(tr("%1: nothing sent, too much waits to go out.").arg(who));
        return false;
    }
    return true;
}

void SendButtons::stop(int index)
{
    QTimer &timer = m_slots.at(size_t(index)).timer;
    if (!timer.isActive())
        return;
    timer.stop();
    emit repeatingChanged(index, false);
}

void SendButtons::stopAll()
{
    for (int i = 0; i < SendButton::perChannel; ++i)
        stop(i);
}

#include "moc_send_buttons.cpp"

#pragma once

#include <QStatusBar>
#include <QTimer>

#include <vector>

class CaptureSession;
class QLabel;

// The main window's status line: a line per channel with its state, its
// byte counts and the files recording it (ui/channel_status.h), read
// four times a second, and while the channels publish to an MQTT broker,
// its state (connected, queued N, dropped N) at the right. A text too long
// for the window is cut short; its tooltip holds all of it.
class ChannelStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    static constexpr int refreshMs = 250;

    ChannelStatusBar(const CaptureSession &session, QWidget *parent = nullptr);

    QLabel *part(int channel) const { return m_parts.at(size_t(channel - 1)); }
    // The channel's whole text, as last read.
    QString fullText(int channel) const { return m_texts.at(size_t(channel - 1)); }
    void refresh();

private:
    const CaptureSession &m_session;
    std::vector<QLabel *> m_parts; // by channel number - 1
    std::vector<QString> m_texts;
    QLabel *m_publishing = nullptr; // MQTT: connected, queued, dropped
    QLabel *m_bridge = nullptr;     // shown only while two channels are bridged
    QTimer m_timer;
};

#include "stress_case.h"

#include "devices/capture_session.h"
#include "feeders.h"
#include "support/byte_checks.h"
#include "ui/channel_group.h"
#include "ui/display_controls.h"
#include "ui/display_window.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>

#include <memory>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Compares the pane with the bytes sent; returns an empty text when every
// byte shows exactly once, in order, in the expected form.
QString compare(const QByteArray &pane, const QByteArray &sent, bool hex, bool spaceFirst)
{
    if (!hex) {
        if (pane.size() != sent.size())
            return QStringLiteral("pane holds %1 bytes").arg(pane.size());
        for (qint64 i = 0; i < sent.size(); ++i) {
            if (pane[i] != sent[i])
                return QStringLiteral("first difference at byte %1").arg(i);
        }
        return {};
    }
    if (pane.size() != 3 * sent.size())
        return QStringLiteral("pane holds %1 characters for %2 bytes")
            .arg(pane.size())
            .arg(sent.size());
    const qint64 space = spaceFirst ? 0 : 2;
    const qint64 digits = spaceFirst ? 1 : 0;
    for (qint64 i = 0; i < sent.size(); ++i) {
        const char *piece = pane.constData() + 3 * i;
        const int high = hexValue(piece[digits]);
        const int low = hexValue(piece[digits + 1]);
        if (piece[space] != ' ' || high < 0 || low < 0 || char(high * 16 + low) != sent[i])
            return QStringLiteral("first difference at byte %1").arg(i);
    }
    return {};
}

} // namespace

StressResult runStressCase(const StressCase &c)
{
    const bool pty = c.source == StressCase::Source::Pty;
    StressResult result;
    result.name = QStringLiteral("%1 -> channel %2, %3")
                      .arg(pty ? QStringLiteral("pty") : QStringLiteral("TCP"))
                      .arg(pty ? 2 : 1)
                      .arg(c.hex ? QStringLiteral("Hex") : QStringLiteral("ASCII"));
    result.bytes = c.bytes;
    const QByteArray data = randomBytes(c.bytes, c.seed);

    CaptureSession session;
    session.setSignOnDefaults();
    auto window = std::make_unique<DisplayWindow>(session);
    window->load();
    window->show();
    ChannelGroup &channel = window->controls()->group(pty ? 2 : 1);
    const PaneText &pane = session.channel(pty ? 2 : 1).pane();
    (c.hex ? channel.widgets().optHex : channel.widgets().optASCII)->click();

    std::unique_ptr<PtyFeeder> ptyFeeder;
    std::unique_ptr<TcpFeeder> tcpFeeder;
    QElapsedTimer clock;
    if (pty) {
        ptyFeeder = std::make_unique<PtyFeeder>();
        if (!ptyFeeder->isOpen()) {
            result.note = QStringLiteral("no pseudo-terminal");
            return result;
        }
        channel.widgets().cmbPort->setEditText(ptyFeeder->slavePath());
        channel.widgets().optOn->click();
        clock.start();
        ptyFeeder->start(data, c.seed);
    } else {
        tcpFeeder = std::make_unique<TcpFeeder>(data, c.seed);
        channel.widgets().cmbPort->setEditText(QStringLiteral("TCP"));
        channel.widgets().txtHost->setText(QStringLiteral("127.0.0.1"));
        channel.widgets().txtPort->setText(QString::number(tcpFeeder->port()));
        clock.start();
        channel.widgets().optOn->click();
    }
    if (!channel.widgets().optOn->isChecked()) {
        result.note = QStringLiteral("the channel did not switch on");
        return result;
    }

    const qint64 wanted = c.hex ? 3 * c.bytes : c.bytes;
    const ChannelReceiver &record = session.channel(pty ? 2 : 1).receiver();
    // Generous: a slow machine still finishes, a stuck one is reported.
    const qint64 deadlineMs = 60000 + 5000 * (c.bytes >> 20);
    while (pane.size() < wanted || !record.pending().isEmpty()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!channel.widgets().optOn->isChecked()) {
            result.note = QStringLiteral("the channel switched off");
            break;
        }
        if (clock.elapsed() > deadlineMs) {
            result.note = QStringLiteral("not all shown after %1 s").arg(deadlineMs / 1000);
            break;
        }
    }
    result.seconds = clock.nsecsElapsed() / 1e9;
    if (ptyFeeder && !ptyFeeder->error().isEmpty())
        result.note = QStringLiteral("writing to the pty: ") + ptyFeeder->error();
    if (result.note.isEmpty()) {
        // Serial data shows " XX"; data from the connection "XX ".
        result.note = compare(pane.text(), data, c.hex, pty);
        result.exact = result.note.isEmpty();
    }
    channel.widgets().optOff->click();
    window.reset();
    return result;
}

#include "screenshot_window.h"

#include "devices/channel.h"
#include "sample_source.h"
#include "ui/channel_group.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRadioButton>
#include <QTcpSocket>
#include <QTest>

namespace {

// The demo peer's reading lines, with one of its binary frames halfway when
// `withFrame` (Hex shows it; ASCII would show it as noise).
QByteArray sampleBytes(quint32 seed, int lines, bool withFrame)
{
    SampleSource source(seed);
    QByteArray bytes;
    for (int n = 0; n < lines; ++n) {
        bytes += source.nextReading() + "\r\n";
        if (withFrame && n == lines / 2)
            bytes += source.nextFrame();
    }
    return bytes;
}

// The demo peer's port, so the picture's Socket field matches the README's
// walk-through: no picture rather than one showing another port.
constexpr quint16 demoPeerPort = 9761;

} // namespace

bool ScreenshotWindow::fill(QString *why)
{
    if (!m_peer.listen(QHostAddress::LocalHost, demoPeerPort)) {
        *why = QStringLiteral("127.0.0.1:%1 is taken (stop the demo peer): ").arg(demoPeerPort) +
               m_peer.errorString();
        return false;
    }
    const QByteArray tcpBytes = sampleBytes(1, 40, false);
    m_fixture.switchOnTcp(m_peer.serverPort());
    if (!m_peer.waitForNewConnection(5000)) {
        *why = QStringLiteral("channel 1 did not connect to 127.0.0.1:%1").arg(m_peer.serverPort());
        return false;
    }
    QTcpSocket *client = m_peer.nextPendingConnection();
    client->write(tcpBytes);

    // The device's own name (/dev/pts/N) rather than the pair's link to it,
    // as the operator would type it.
    const QString device = QFileInfo(m_device.slavePath()).symLinkTarget();
    const QByteArray deviceBytes = sampleBytes(2, 18, true);
    m_fixture.channel(2).widgets().optHex->click();
    m_fixture.choosePort(2, device);
    m_fixture.switchOn(2);
    if (!m_fixture.isOn(2)) {
        *why = QStringLiteral("channel 2 did not open %1").arg(device);
        return false;
    }
    m_device.write(deviceBytes);

    const bool arrived = QTest::qWaitFor([&] {
        return m_fixture.paneText(1).size() >= tcpBytes.size() && !m_fixture.paneText(2).isEmpty();
    });
    if (!arrived)
        *why = QStringLiteral("the received bytes did not show in both panes");
    // Let the panes settle and paint their last batch.
    QTest::qWait(300);
    return arrived;
}

namespace {

// A board's console: a boot log with coloured results, a progress line
// redrawn with CR, a shell with coloured names, and a status line the
// board keeps on the bottom row.
QByteArray colouredConsole()
{
    QByteArray bytes = "\x1b[1mU-Boot 2024.01\x1b[0m (Dec 08 2026)\r\n"
                       "DRAM:  512 MiB\r\nLoading kernel ";
    for (int percent = 0; percent <= 100; percent += 20)
        bytes += "\r\x1b[KLoading kernel [" + QByteArray(percent / 10, '#') +
                 QByteArray(10 - percent / 10, ' ') + "] " + QByteArray::number(percent) + "%";
    bytes += "\r\n";
    const char *units[] = {"Journal Service", "udev Kernel Device Manager", "Network Time Sync",
                           "Serial Getty on ttyS0", "OpenSSH Daemon"};
    for (const char *unit : units)
        bytes += QByteArray("[\x1b[0;32m  OK  \x1b[0m] Started ") + unit + ".\r\n";
    bytes += "[\x1b[0;1;31mFAILED\x1b[0m] Failed to start Bluetooth Service.\r\n"
             "[\x1b[0;1;33m WARN \x1b[0m] Clock not set, using build time.\r\n";
    bytes += "\r\nboard login: root\r\n";
    const QByteArray prompt = "\x1b[1;32mroot@board\x1b[0m:\x1b[1;34m~\x1b[0m# ";
    bytes += prompt + "ls --color /\r\n"
                      "\x1b[1;34mbin\x1b[0m  \x1b[1;34mboot\x1b[0m  \x1b[1;34metc\x1b[0m  "
                      "\x1b[1;36mlib\x1b[0m  \x1b[1;32minit.sh\x1b[0m  "
                      "\x1b[30;43mtmp\x1b[0m  \x1b[1;34musr\x1b[0m  \x1b[1;34mvar\x1b[0m\r\n";
    bytes += prompt + "cat /etc/motd\r\nGr\xc3\xbc\xc3\x9f Gott \xe2\x80\x94 "
                      "\xe2\x9c\x93 sensors ok, \xe2\x9a\xa0 fan 2 slow\r\n";
    bytes += prompt;
    // The status line on the bottom row, the cursor back at the prompt.
    bytes += "\x1b"
             "7\x1b[24;1H\x1b[7m load 0.42  mem 37%  temp 51 C  up 0:01:12"
             "                                    \x1b[0m\x1b"
             "8";
    return bytes;
}

} // namespace

bool ScreenshotWindow::fillTerminal(QString *why)
{
    const QString device = QFileInfo(m_device.slavePath()).symLinkTarget();
    m_fixture.state(2).setFormat(ReceiveFormat::Terminal);
    m_fixture.choosePort(2, device);
    m_fixture.switchOn(2);
    if (!m_fixture.isOn(2)) {
        *why = QStringLiteral("channel 2 did not open %1").arg(device);
        return false;
    }
    const QByteArray bytes = colouredConsole();
    m_device.write(bytes);
    const bool arrived =
        QTest::qWaitFor([&] { return m_fixture.state(2).receivedCount() >= bytes.size(); });
    if (!arrived)
        *why = QStringLiteral("the console did not arrive");
    QTest::qWait(300);
    return arrived;
}

QPixmap ScreenshotWindow::grabChannel(int number) const
{
    return m_fixture.channel(number).widgets().fraPort->grab();
}

void ScreenshotWindow::resize(QSize size)
{
    m_fixture.window->resize(size);
    QTest::qWait(100);
}

QPixmap ScreenshotWindow::grab() const
{
    return m_fixture.window->grab();
}

QPixmap ScreenshotWindow::grabWithMenu(int menuIndex)
{
    DisplayWindow &window = *m_fixture.window;
    QAction *title = window.menuBar()->actions().at(menuIndex);
    // As when the operator clicks the title: the title is highlighted and
    // its menu drops down under it.
    window.menuBar()->setActiveAction(title);
    QMenu *menu = title->menu();
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); }))
        return {};
    QTest::qWait(200);
    const QPixmap composed = composedWith(menu);
    menu->hide();
    return composed;
}

QPixmap ScreenshotWindow::grabWithPortList(int channelNumber)
{
    QComboBox *list = m_fixture.channel(channelNumber).widgets().cmbPort;
    list->showPopup();
    QWidget *popup = list->view()->window();
    if (!QTest::qWaitFor([popup] { return popup->isVisible(); }))
        return {};
    QTest::qWait(200);
    const QPixmap composed = composedWith(popup);
    list->hidePopup();
    return composed;
}

QPixmap ScreenshotWindow::composedWith(QWidget *popup) const
{
    DisplayWindow &window = *m_fixture.window;
    const QPixmap windowShot = window.grab();
    const QPixmap popupShot = popup->grab();
    const QPoint popupAt = popup->mapToGlobal(QPoint()) - window.mapToGlobal(QPoint());
    const QRect canvas = QRect(QPoint(), windowShot.deviceIndependentSize().toSize())
                             .united(QRect(popupAt, popupShot.deviceIndependentSize().toSize()));
    QPixmap composed(canvas.size());
    composed.fill(Qt::white);
    QPainter painter(&composed);
    painter.drawPixmap(-canvas.topLeft(), windowShot);
    painter.drawPixmap(popupAt - canvas.topLeft(), popupShot);
    painter.end();
    return composed;
}

#include "windows/display_controls.h"

#include "channels/pane_text.h"
#include "commands/transmit_edit.h"
#include "windows/capture_pane.h"
#include "windows/twips.h"
#include "windows/window_font.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

struct Place
{
    int left, top, width, height;
};

template<typename W>
W *make(QWidget *parent, const char *name, const Place &at)
{
    auto *widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(twipsRect(at.left, at.top, at.width, at.height));
    return widget;
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption, const Place &at)
{
    auto *box = make<QGroupBox>(parent, name, at);
    box->setTitle(caption);
    return box;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, Qt::Alignment align,
              const Place &at)
{
    auto *text = make<QLabel>(parent, name, at);
    text->setText(caption);
    text->setAlignment(align | Qt::AlignVCenter);
    return text;
}

QRadioButton *option(QWidget *parent, const char *name, int index, const QString &caption,
                     const Place &at)
{
    auto *button = make<QRadioButton>(parent, name, at);
    button->setText(caption);
    button->setProperty("index", index);
    return button;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const Place &at)
{
    auto *push = make<QPushButton>(parent, name, at);
    push->setText(caption);
    push->setFocusPolicy(Qt::TabFocus); // clicking doesn't take the focus from the panes
    return push;
}

QComboBox *portList(QWidget *parent, const char *name, const QString &shown, const Place &at)
{
    auto *list = make<QComboBox>(parent, name, at);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setEditText(shown);
    return list;
}

CapturePane *receivePane(QWidget *parent, const char *name, PaneText *text, const Place &at)
{
    auto *pane = make<CapturePane>(parent, name, at);
    pane->setModel(text);
    return pane;
}

TransmitEdit *transmitLine(QWidget *parent, const char *name, const Place &at)
{
    return make<TransmitEdit>(parent, name, at);
}

} // namespace

QList<QWidget *> ChannelControls::workingControls() const
{
    return {txtRecv, txtSend, cmdClear, cmdClearR, cmdRepeat};
}

QList<QWidget *> DisplayControls::tcpFields() const
{
    return {txtHost, txtPort, lblSocket, lblIP};
}

DisplayControls::DisplayControls(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(twipsSize(9525, 7725));
    // The layout is designed for a small sans-serif face, and for frames
    // whose caption sits on the top border.
    setFont(windowFont());
    // A style sheet stops font propagation, so it names the font itself.
    setStyleSheet(QStringLiteral(
        "* { font-family: \"%1\"; font-size: %2pt; }"
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0 2px; }")
                      .arg(windowFont().family())
                      .arg(windowFont().pointSize()));
    buildChannel1();
    buildChannel2();

    // Channel 1's TCP fields lie on the window, drawn over the frame.
    txtHost = make<QLineEdit>(this, "txtHost", {3600, 360, 1575, 315});
    txtHost->setText(QStringLiteral("127.0.0.1")); // a peer on this machine is the safe default
    txtPort = make<QLineEdit>(this, "txtPort", {5880, 360, 735, 315});
    txtPort->setText(QStringLiteral("9761"));
    txtHost->raise();
    txtPort->raise();
    setTabOrder();
}

void DisplayControls::buildChannel1()
{
    ChannelControls &c = channel1;
    c.fraPort = frame(this, "fraPort1", tr("Comm Port 1"), {360, 120, 8775, 3615});
    QWidget *port = c.fraPort;
    c.lblPort = label(port, "lblPort1", tr("Comm Port"), Qt::AlignHCenter, {720, 300, 975, 255});
    c.cmbPort = portList(port, "cmbPort1", QStringLiteral("1"), {1800, 240, 855, 315});
    lblIP = label(port, "lblIP", tr("IP:"), Qt::AlignRight, {2880, 300, 255, 255});
    lblSocket = label(port, "lblSocket", tr("Socket"), Qt::AlignRight, {4920, 300, 495, 255});
    c.optOn = option(port, "optComm", 0, tr("On"), {6720, 285, 735, 255});
    c.optOff = option(port, "optComm", 1, tr("Off"), {7320, 285, 615, 255});

    c.fraFormat = frame(port, "fraFormat1", tr("Format"), {240, 705, 1335, 1095});
    c.optASCII = option(c.fraFormat, "optASCII1", 0, tr("ASCII"), {120, 240, 735, 255});
    c.optDec = option(c.fraFormat, "optDec1", 1, tr("Decimal"), {120, 520, 975, 255});
    c.optHex = option(c.fraFormat, "optHex1", 2, tr("Hex"), {120, 800, 735, 255});

    c.fraDisplay = frame(port, "fraDisplay1", tr("Display"), {240, 1845, 1335, 1095});
    c.optRT = option(c.fraDisplay, "optRT1", 0, tr("Real Time"), {120, 240, 1095, 255});
    c.optTO = option(c.fraDisplay, "optTO1", 1, tr("Time Out"), {120, 520, 975, 255});
    c.optChar = option(c.fraDisplay, "optChar1", 2, tr("After CR"), {120, 800, 1095, 255});

    c.cmdClearR = button(port, "cmdClearR1", tr("Clear"), {240, 3075, 1335, 255});
    c.recvText = new PaneText(this);
    c.txtRecv = receivePane(port, "txtRecv1", c.recvText, {1920, 840, 4695, 2535});

    c.fraTransmit = frame(port, "frsTrans1", tr("Transmit"), {6960, 720, 1575, 2655});
    QWidget *tx = c.fraTransmit;
    c.optLive = option(tx, "optLive1", 0, tr("Real Time"), {120, 200, 1095, 375});
    c.optCR = option(tx, "optCR1", 1, tr("After CR"), {120, 480, 1215, 375});
    c.cmdRepeat = button(tx, "cmdRepeat1", tr("Repeat"), {240, 880, 1095, 255});
    c.cmdClear = button(tx, "cmdClear1", tr("Clear"), {240, 1200, 1095, 255});
    c.chkHex = make<QCheckBox>(tx, "chkHex1", {500, 1500, 735, 255});
    c.chkHex->setText(tr("Hex"));
    c.txtSend = transmitLine(tx, "txtSend1", {240, 1800, 1095, 615});

    for (QRadioButton *selected : {c.optOff, c.optASCII, c.optRT, c.optLive})
        selected->setChecked(true);
}

void DisplayControls::buildChannel2()
{
    ChannelControls &c = channel2;
    c.fraPort = frame(this, "fraPort2", tr("Comm Port 2"), {360, 3840, 8775, 3375});
    QWidget *port = c.fraPort;
    c.lblPort = label(port, "lblPort2", tr("Comm Port"), Qt::AlignLeft, {2760, 180, 855, 255});
    c.cmbPort = portList(port, "cmbPort2", QStringLiteral("2"), {3720, 120, 615, 315});
    c.optOn = option(port, "optCom1", 0, tr("On"), {4800, 160, 735, 255});
    c.optOff = option(port, "optCom1", 1, tr("Off"), {5400, 160, 735, 255});

    c.fraFormat = frame(port, "fraFormat2", tr("Format"), {240, 350, 1335, 1095});
    c.optASCII = option(c.fraFormat, "optASCII2", 0, tr("ASCII"), {120, 240, 975, 255});
    c.optDec = option(c.fraFormat, "optDec2", 1, tr("Decimal"), {120, 520, 975, 255});
    c.optHex = option(c.fraFormat, "optHex2", 2, tr("Hex"), {120, 800, 975, 255});

    c.fraDisplay = frame(port, "fraDisplay2", tr("Display"), {240, 1480, 1335, 1095});
    c.optRT = option(c.fraDisplay, "optRT2", 0, tr("Real Time"), {120, 240, 1095, 255});
    c.optTO = option(c.fraDisplay, "optTO2", 1, tr("Time Out"), {120, 520, 1095, 255});
    c.optChar = option(c.fraDisplay, "optChar2", 2, tr("After CR"), {120, 800, 1090, 255});

    c.cmdClearR = button(port, "cmdClearR2", tr("Clear"), {240, 2720, 1335, 255});
    c.recvText = new PaneText(this);
    c.txtRecv = receivePane(port, "txtRecv2", c.recvText, {1920, 480, 4695, 2535});

    c.fraTransmit = frame(port, "fraTransmit2", tr("Transmit"), {6960, 360, 1575, 2655});
    QWidget *tx = c.fraTransmit;
    c.optLive = option(tx, "optLive2", 0, tr("Real Time"), {120, 200, 1215, 375});
    c.optCR = option(tx, "optCr2", 1, tr("After CR"), {120, 480, 1215, 375});
    c.cmdRepeat = button(tx, "cmdRepeat2", tr("Repeat"), {240, 880, 1095, 255});
    c.cmdClear = button(tx, "cmdClear2", tr("Clear"), {240, 1200, 1095, 255});
    c.chkHex = make<QCheckBox>(tx, "chkHex2", {500, 1500, 735, 255});
    c.chkHex->setText(tr("Hex"));
    c.txtSend = transmitLine(tx, "txtSend2", {240, 1800, 1095, 615});

    for (QRadioButton *selected : {c.optOff, c.optASCII, c.optRT, c.optLive})
        selected->setChecked(true);
}

void DisplayControls::setTabOrder()
{
    const ChannelControls &a = channel1;
    const ChannelControls &b = channel2;
    // Designed focus order; frames and labels hold places but take no focus.
    const QList<QWidget *> order = {
        a.txtRecv,   b.txtRecv,   a.optASCII,  a.optDec,    a.optHex,   a.optRT,
        a.optTO,     a.optChar,   a.txtSend,   a.optLive,   a.optCR,    a.cmdRepeat,
        a.cmdClear,  b.optASCII,  b.optDec,    b.optHex,    b.optRT,    b.optTO,
        b.optChar,   b.optLive,   b.optCR,     b.cmdRepeat, b.cmdClear, b.txtSend,
        a.cmdClearR, b.cmdClearR, a.chkHex,    b.chkHex,    a.optOn,    a.optOff,
        b.optOn,     b.optOff,    a.cmbPort,   b.cmbPort,   txtHost,    txtPort};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order.at(i), order.at(i + 1));
}

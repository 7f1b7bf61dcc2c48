#include "ui/display_controls.h"

#include "core/pane_text.h"
#include "ui/transmit_edit.h"
#include "ui/capture_pane.h"
#include "ui/twips.h"
#include "ui/window_font.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
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

template <typename W> W *make(QWidget *parent, QByteArrayView name, const Place &at)
{
    auto *widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect(at.left, at.top, at.width, at.height));
    return widget;
}

QGroupBox *frame(QWidget *parent, QByteArrayView name, const QString &caption, const Place &at)
{
    auto *box = make<QGroupBox>(parent, name, at);
    box->setTitle(caption);
    return box;
}

QLabel *label(QWidget *parent, QByteArrayView name, const QString &caption, Qt::Alignment align,
              const Place &at)
{
    auto *text = make<QLabel>(parent, name, at);
    text->setText(caption);
    text->setAlignment(align | Qt::AlignVCenter);
    return text;
}

QRadioButton *option(QWidget *parent, QByteArrayView name, int index, const QString &caption,
                     const Place &at)
{
    auto *button = make<QRadioButton>(parent, name, at);
    button->setText(caption);
    button->setProperty("index", index);
    return button;
}

QPushButton *button(QWidget *parent, QByteArrayView name, const QString &caption, const Place &at)
{
    auto *push = make<QPushButton>(parent, name, at);
    push->setText(caption);
    push->setFocusPolicy(Qt::TabFocus); // clicking doesn't take the focus from the panes
    return push;
}

QComboBox *portList(QWidget *parent, QByteArrayView name, const QString &shown, const Place &at)
{
    auto *list = make<QComboBox>(parent, name, at);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setEditText(shown);
    // The box is narrow by design; its list is wide enough for device paths.
    list->view()->setMinimumWidth(twips(2400));
    return list;
}

CapturePane *receivePane(QWidget *parent, QByteArrayView name, PaneText *text, const Place &at)
{
    auto *pane = make<CapturePane>(parent, name, at);
    pane->setModel(text);
    return pane;
}

// Where one channel group's controls stand. The two groups are laid out
// alike, with slightly different coordinates and a few irregular names.
struct ChannelDesign
{
    int number;
    const char *onOffName;    // optComm / optCom1
    const char *transmitName; // frsTrans1 / fraTransmit2
    const char *afterCrName;  // optCR1 / optCr2
    const char *shownPort;
    Qt::Alignment portLabelAlignment;
    Place fraPort, lblPort, cmbPort, optOn, optOff;
    Place fraFormat, optASCII, optDec, optHex;
    Place fraDisplay, optRT, optTO, optChar;
    Place cmdClearR, txtRecv;
    Place fraTransmit, optLive, optCR, cmdRepeat, cmdClear, chkHex, txtSend;
};

// clang-format off
const ChannelDesign channel1Design{
    1, "optComm", "frsTrans1", "optCR1", "1", Qt::AlignHCenter,
    {360, 120, 8775, 3615}, {720, 300, 975, 255}, {1800, 240, 855, 315},
    {6720, 285, 735, 255}, {7320, 285, 615, 255},
    {240, 705, 1335, 1095}, {120, 240, 735, 255}, {120, 520, 975, 255}, {120, 800, 735, 255},
    {240, 1845, 1335, 1095}, {120, 240, 1095, 255}, {120, 520, 975, 255}, {120, 800, 1095, 255},
    {240, 3075, 1335, 255}, {1920, 840, 4695, 2535},
    {6960, 720, 1575, 2655}, {120, 200, 1095, 375}, {120, 480, 1215, 375},
    {240, 880, 1095, 255}, {240, 1200, 1095, 255}, {500, 1500, 735, 255},
    {240, 1800, 1095, 615}};

const ChannelDesign channel2Design{
    2, "optCom1", "fraTransmit2", "optCr2", "2", Qt::AlignLeft,
    {360, 3840, 8775, 3375}, {2760, 180, 855, 255}, {3720, 120, 615, 315},
    {4800, 160, 735, 255}, {5400, 160, 735, 255},
    {240, 350, 1335, 1095}, {120, 240, 975, 255}, {120, 520, 975, 255}, {120, 800, 975, 255},
    {240, 1480, 1335, 1095}, {120, 240, 1095, 255}, {120, 520, 1095, 255}, {120, 800, 1090, 255},
    {240, 2720, 1335, 255}, {1920, 480, 4695, 2535},
    {6960, 360, 1575, 2655}, {120, 200, 1215, 375}, {120, 480, 1215, 375},
    {240, 880, 1095, 255}, {240, 1200, 1095, 255}, {500, 1500, 735, 255},
    {240, 1800, 1095, 615}};
// clang-format on

QByteArray numbered(const char *name, int number)
{
    return name + QByteArray::number(number);
}

QString tr(const char *text)
{
    return DisplayControls::tr(text);
}

void buildChannel(QWidget *window, ChannelControls &c, const ChannelDesign &d)
{
    const int n = d.number;
    c.fraPort = frame(window, numbered("fraPort", n), tr("Comm Port %1").arg(n), d.fraPort);
    QWidget *port = c.fraPort;
    c.lblPort =
        label(port, numbered("lblPort", n), tr("Comm Port"), d.portLabelAlignment, d.lblPort);
    c.cmbPort = portList(port, numbered("cmbPort", n), QLatin1String(d.shownPort), d.cmbPort);
    c.optOn = option(port, d.onOffName, 0, tr("On"), d.optOn);
    c.optOff = option(port, d.onOffName, 1, tr("Off"), d.optOff);

    c.fraFormat = frame(port, numbered("fraFormat", n), tr("Format"), d.fraFormat);
    c.optASCII = option(c.fraFormat, numbered("optASCII", n), 0, tr("ASCII"), d.optASCII);
    c.optDec = option(c.fraFormat, numbered("optDec", n), 1, tr("Decimal"), d.optDec);
    c.optHex = option(c.fraFormat, numbered("optHex", n), 2, tr("Hex"), d.optHex);

    c.fraDisplay = frame(port, numbered("fraDisplay", n), tr("Display"), d.fraDisplay);
    c.optRT = option(c.fraDisplay, numbered("optRT", n), 0, tr("Real Time"), d.optRT);
    c.optTO = option(c.fraDisplay, numbered("optTO", n), 1, tr("Time Out"), d.optTO);
    c.optChar = option(c.fraDisplay, numbered("optChar", n), 2, tr("After CR"), d.optChar);

    c.cmdClearR = button(port, numbered("cmdClearR", n), tr("Clear"), d.cmdClearR);
    c.recvText = new PaneText(window);
    c.txtRecv = receivePane(port, numbered("txtRecv", n), c.recvText, d.txtRecv);

    c.fraTransmit = frame(port, d.transmitName, tr("Transmit"), d.fraTransmit);
    QWidget *tx = c.fraTransmit;
    c.optLive = option(tx, numbered("optLive", n), 0, tr("Real Time"), d.optLive);
    c.optCR = option(tx, d.afterCrName, 1, tr("After CR"), d.optCR);
    c.cmdRepeat = button(tx, numbered("cmdRepeat", n), tr("Repeat"), d.cmdRepeat);
    c.cmdClear = button(tx, numbered("cmdClear", n), tr("Clear"), d.cmdClear);
    c.chkHex = make<QCheckBox>(tx, numbered("chkHex", n), d.chkHex);
    c.chkHex->setText(tr("Hex"));
    c.txtSend = make<TransmitEdit>(tx, numbered("txtSend", n), d.txtSend);

    for (QRadioButton *selected : {c.optOff, c.optASCII, c.optRT, c.optLive})
        selected->setChecked(true);
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
    setStyleSheet(
        QStringLiteral(
            "* { font-family: \"%1\"; font-size: %2pt; }"
            "CapturePane { font-family: \"%3\"; font-size: %4pt; }"
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
            " left: 6px; padding: 0 2px; }")
            .arg(windowFont().family())
            .arg(windowFont().pointSize())
            .arg(QFontDatabase::systemFont(QFontDatabase::FixedFont).family())
            .arg(QFontDatabase::systemFont(QFontDatabase::FixedFont).pointSize()));
    buildChannel(this, channel1, channel1Design);
    buildChannel(this, channel2, channel2Design);

    QWidget *port1 = channel1.fraPort;
    lblIP = label(port1, "lblIP", tr("IP:"), Qt::AlignRight, {2880, 300, 255, 255});
    lblSocket = label(port1, "lblSocket", tr("Socket"), Qt::AlignRight, {4920, 300, 495, 255});
    // Channel 1's TCP fields lie on the window, drawn over the frame.
    txtHost = make<QLineEdit>(this, "txtHost", {3600, 360, 1575, 315});
    txtHost->setText(QStringLiteral("127.0.0.1")); // a peer on this machine is the safe default
    txtPort = make<QLineEdit>(this, "txtPort", {5880, 360, 735, 315});
    txtPort->setText(QStringLiteral("9761"));
    txtHost->raise();
    txtPort->raise();
    setTabOrder();
}

void DisplayControls::setTabOrder()
{
    const ChannelControls &a = channel1;
    const ChannelControls &b = channel2;
    // Designed focus order; frames and labels hold places but take no focus.
    const QList<QWidget *> order = {
        a.txtRecv,   b.txtRecv,   a.optASCII, a.optDec,    a.optHex,   a.optRT,
        a.optTO,     a.optChar,   a.txtSend,  a.optLive,   a.optCR,    a.cmdRepeat,
        a.cmdClear,  b.optASCII,  b.optDec,   b.optHex,    b.optRT,    b.optTO,
        b.optChar,   b.optLive,   b.optCR,    b.cmdRepeat, b.cmdClear, b.txtSend,
        a.cmdClearR, b.cmdClearR, a.chkHex,   b.chkHex,    a.optOn,    a.optOff,
        b.optOn,     b.optOff,    a.cmbPort,  b.cmbPort,   txtHost,    txtPort};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order.at(i), order.at(i + 1));
}

#include "ui/channel_group.h"

#include "devices/capture_session.h"
#include "devices/channel.h"
#include "devices/transmit_queue.h"
#include "ui/capture_pane.h"
#include "ui/display_layout.h"
#include "ui/pane_find_box.h"
#include "ui/program_message.h"
#include "ui/transmit_edit.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>

namespace {

QByteArray numbered(const char *name, int number)
{
    return name + QByteArray::number(number);
}

QPushButton *button(QWidget *parent, QByteArrayView name, const QString &caption, const Place &at)
{
    QPushButton *push = placeButton(parent, name, caption, at);
    push->setFocusPolicy(Qt::TabFocus); // clicking doesn't take the focus from the panes
    return push;
}

QComboBox *portList(QWidget *parent, QByteArrayView name, const QString &shown, const Place &at)
{
    auto *list = placeControl<QComboBox>(parent, name, at);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setEditText(shown);
    keepTypedText(list);
    // The box is narrow by design; its list is wide enough for device paths.
    list->view()->setMinimumWidth(twips(2400));
    return list;
}

const QLatin1String tcpEntry("TCP");

} // namespace

ChannelGroup::ChannelGroup(QWidget *window, const ChannelDesign &design, Channel &channel,
                           const CaptureSession &session)
    : QObject(window)
    , m_channel(channel)
    , m_session(session)
{
    build(window, design);
    rememberDesign();
    txtRecv->setModel(&channel.pane());
    PaneFindBox::attach(txtRecv, fraPort->title());
    bindOptionSwitches();
    bindCommands();
    bindSwitch();
}

void ChannelGroup::build(QWidget *window, const ChannelDesign &d)
{
    const int n = d.number;
    fraPort = placeFrame(window, numbered("fraPort", n), tr("Comm Port %1").arg(n), d.fraPort);
    QWidget *port = fraPort;
    lblPort =
        placeLabel(port, numbered("lblPort", n), tr("Comm Port"), d.portLabelAlignment, d.lblPort);
    cmbPort = portList(port, numbered("cmbPort", n), QLatin1String(d.shownPort), d.cmbPort);
    optOn = placeOption(port, d.onOffName, 0, tr("On"), d.optOn);
    optOff = placeOption(port, d.onOffName, 1, tr("Off"), d.optOff);
    // A group of their own: the frame also holds the other option groups,
    // which Qt would otherwise count in, and a click could then clear both.
    auto *onOff = new QButtonGroup(fraPort);
    onOff->addButton(optOn, 0);
    onOff->addButton(optOff, 1);

    fraFormat = placeFrame(port, numbered("fraFormat", n), tr("Format"), d.fraFormat);
    optASCII = placeOption(fraFormat, numbered("optASCII", n), 0, tr("ASCII"), d.optASCII);
    optDec = placeOption(fraFormat, numbered("optDec", n), 1, tr("Decimal"), d.optDec);
    optHex = placeOption(fraFormat, numbered("optHex", n), 2, tr("Hex"), d.optHex);

    fraDisplay = placeFrame(port, numbered("fraDisplay", n), tr("Display"), d.fraDisplay);
    optRT = placeOption(fraDisplay, numbered("optRT", n), 0, tr("Real Time"), d.optRT);
    optTO = placeOption(fraDisplay, numbered("optTO", n), 1, tr("Time Out"), d.optTO);
    optChar = placeOption(fraDisplay, numbered("optChar", n), 2, tr("After CR"), d.optChar);

    cmdClearR = button(port, numbered("cmdClearR", n), tr("Clear"), d.cmdClearR);
    txtRecv = placeControl<CapturePane>(port, numbered("txtRecv", n), d.txtRecv);

    fraTransmit = placeFrame(port, d.transmitName, tr("Transmit"), d.fraTransmit);
    QWidget *tx = fraTransmit;
    optLive = placeOption(tx, numbered("optLive", n), 0, tr("Real Time"), d.optLive);
    optCR = placeOption(tx, d.afterCrName, 1, tr("After CR"), d.optCR);
    cmdRepeat = button(tx, numbered("cmdRepeat", n), tr("Repeat"), d.cmdRepeat);
    cmdClear = button(tx, numbered("cmdClear", n), tr("Clear"), d.cmdClear);
    chkHex = placeControl<QCheckBox>(tx, numbered("chkHex", n), d.chkHex);
    chkHex->setText(tr("Hex"));
    txtSend = placeControl<TransmitEdit>(tx, numbered("txtSend", n), d.txtSend);

    for (QRadioButton *selected : {optOff, optASCII, optRT, optLive})
        selected->setChecked(true);

    if (d.offersTcp) {
        lblIP = placeLabel(port, "lblIP", tr("IP:"), Qt::AlignRight, d.lblIP);
        lblSocket = placeLabel(port, "lblSocket", tr("Socket"), Qt::AlignRight, d.lblSocket);
        txtHost = placeControl<QLineEdit>(window, "txtHost", d.txtHost);
        // A peer on this machine is the safe default.
        txtHost->setText(QStringLiteral("127.0.0.1"));
        txtPort = placeControl<QLineEdit>(window, "txtPort", d.txtPort);
        txtPort->setText(QStringLiteral("9761"));
        txtHost->raise();
        txtPort->raise();
    }
}

void ChannelGroup::rememberDesign()
{
    m_design.append({fraPort, fraPort->geometry()});
    for (QWidget *control : fraPort->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        m_design.append({control, control->geometry()});
    for (QWidget *field : {static_cast<QWidget *>(txtHost), static_cast<QWidget *>(txtPort)}) {
        if (field)
            m_design.append({field, field->geometry()});
    }
}

void ChannelGroup::layOut(int extraWidth, int extraHeight, int shiftDown)
{
    // The pane's designed edges, in the frame's coordinates.
    QRect pane;
    QPoint frameAt;
    for (const auto &[control, place] : std::as_const(m_design)) {
        if (control == txtRecv)
            pane = place;
        else if (control == fraPort)
            frameAt = place.topLeft();
    }
    for (const auto &[control, place] : std::as_const(m_design)) {
        if (!control)
            continue;
        QRect at = place;
        if (control == fraPort) {
            at.adjust(0, shiftDown, extraWidth, shiftDown + extraHeight);
        } else if (control == txtRecv) {
            at.adjust(0, 0, extraWidth, extraHeight);
        } else {
            // The TCP fields lie on the window: compare them in the frame's terms.
            const bool onWindow = control->parentWidget() != fraPort;
            const QRect inFrame = onWindow ? place.translated(-frameAt) : place;
            at.translate(inFrame.left() >= pane.right() ? extraWidth : 0,
                         (inFrame.top() >= pane.bottom() ? extraHeight : 0) +
                             (onWindow ? shiftDown : 0));
        }
        control->setGeometry(at);
    }
}

QList<QWidget *> ChannelGroup::workingControls() const
{
    return {txtSend, cmdClear, cmdClearR, cmdRepeat};
}

QList<QWidget *> ChannelGroup::tcpFields() const
{
    if (!txtHost)
        return {};
    return {txtHost, txtPort, lblSocket, lblIP};
}

void ChannelGroup::bindOptionSwitches()
{
    // Each option stores its mode when clicked, also when it is already the
    // selected one. (The arrow keys within a frame click the option they move
    // to.)
    ChannelModes &modes = m_channel.modes();
    const auto store = [this](QRadioButton *option, auto &variable, auto value) {
        connect(option, &QRadioButton::clicked, this, [&variable, value] { variable = value; });
    };
    store(optASCII, modes.format, ReceiveFormat::Ascii);
    store(optDec, modes.format, ReceiveFormat::Decimal);
    store(optHex, modes.format, ReceiveFormat::Hex);
    store(optRT, modes.display, DisplayMode::RealTime);
    store(optTO, modes.display, DisplayMode::TimeOut);
    store(optChar, modes.display, DisplayMode::AfterCr);
    store(optLive, modes.transmit, TransmitMode::RealTime);
    store(optCR, modes.transmit, TransmitMode::AfterCr);
    connect(chkHex, &QCheckBox::stateChanged, this,
            [&modes](int state) { modes.hexEntry = state != Qt::Unchecked; });
}

void ChannelGroup::bindCommands()
{
    Channel *channel = &m_channel;
    connect(txtSend, &TransmitEdit::typed, channel, &Channel::type);
    connect(cmdRepeat, &QPushButton::clicked, channel, &Channel::repeat);
    connect(cmdClear, &QPushButton::clicked, this, [this] {
        m_channel.clearTransmit();
        txtSend->clear();
    });
    connect(cmdClearR, &QPushButton::clicked, channel, &Channel::clearReceived);
}

void ChannelGroup::bindSwitch()
{
    // A click on the member already selected changes nothing.
    connect(optOn, &QRadioButton::clicked, this, [this] {
        if (!m_channel.isOn())
            switchOn();
    });
    connect(optOff, &QRadioButton::clicked, this, [this] {
        if (m_channel.isOn())
            m_channel.switchOff();
    });
    connect(&m_channel, &Channel::onChanged, this, &ChannelGroup::setWorkingControlsEnabled);
    connect(&m_channel, &Channel::failed, this, &ChannelGroup::showFailure);
    connect(&m_channel, &Channel::transmitRefused, this, &ChannelGroup::showTransmitRefused);
    if (txtHost)
        connect(cmbPort, &QComboBox::activated, this, &ChannelGroup::showTcpFieldsForChoice);
}

bool ChannelGroup::tcpChosen() const
{
    return txtHost && cmbPort->currentText() == tcpEntry;
}

void ChannelGroup::switchOn()
{
    if (tcpChosen())
        m_channel.switchOnTcp(txtHost->text(), txtPort->text());
    else
        m_channel.switchOnSerial(cmbPort->currentText(), m_session.serialSettings());
}

void ChannelGroup::setWorkingControlsEnabled(bool enabled)
{
    for (QWidget *control : workingControls())
        control->setEnabled(enabled);
    // What was received stays within reach while the channel is off.
    txtRecv->setInactive(!enabled);
}

void ChannelGroup::showFailure(const QString &text, const QString &detail)
{
    optOff->setChecked(true);
    setWorkingControlsEnabled(false);
    showProgramMessage(fraPort->window(), text, detail);
}

void ChannelGroup::showTransmitRefused(qint64 count)
{
    const QLocale locale;
    const qint64 limit = m_channel.link().queue().limit();
    showProgramMessage(
        fraPort->window(),
        tr("Comm Port %1: %2 bytes were not sent.")
            .arg(QString::number(m_channel.number()), locale.toString(count)),
        tr("More than %1 would have waited to go out. Wait until the port has sent what "
           "waits, then try again.")
            .arg(locale.formattedDataSize(limit, 0, QLocale::DataSizeTraditionalFormat)));
}

void ChannelGroup::showTcpFieldsForChoice()
{
    const bool tcp = tcpChosen();
    for (QWidget *field : tcpFields())
        field->setVisible(tcp);
}

void ChannelGroup::showLoaded(const QStringList &devices)
{
    setWorkingControlsEnabled(false);
    for (QWidget *field : tcpFields())
        field->setVisible(false);
    fillPortList(devices);
}

void ChannelGroup::fillPortList(const QStringList &devices)
{
    const QString shown = cmbPort->currentText();
    if (txtHost) {
        cmbPort->addItem(tcpEntry);
        cmbPort->setItemData(0, tr("A TCP connection to the host and port shown"), Qt::ToolTipRole);
    }
    for (int n = 1; n <= 99; ++n) {
        const QString device = n <= devices.size() ? devices.at(n - 1) : tr("no device");
        cmbPort->addItem(QString::number(n));
        cmbPort->setItemData(cmbPort->count() - 1, device, Qt::ToolTipRole);
    }
    // Filling the list leaves the shown text as it was.
    cmbPort->setCurrentIndex(cmbPort->findText(shown));
    cmbPort->setEditText(shown);
}

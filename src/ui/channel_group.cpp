#include "ui/channel_group.h"

#include "core/pane/dump_rows.h"
#include "devices/channel.h"
#include "ui/capture_pane.h"
#include "ui/channel_group_accessibility.h"
#include "ui/display_layout.h"
#include "ui/pane_find_box.h"
#include "ui/port_entry_edit.h"
#include "ui/program_message.h"
#include "ui/transmit_edit.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>

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
    list->setLineEdit(new PortEntryEdit(list));
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setEditText(shown);
    keepTypedText(list);
    // The box is narrow by design; its list is wide enough for device paths.
    list->view()->setMinimumWidth(twips(2400));
    return list;
}

} // namespace

ChannelGroup::ChannelGroup(QWidget *window, const ChannelDesign &design, Channel &channel)
    : QObject(window)
    , m_channel(channel)
{
    build(window, design);
    rememberDesign();
    m_widgets.txtRecv->setModel(&channel.pane());
    PaneFindBox::attach(m_widgets.txtRecv, m_widgets.fraPort->title());
    bindOptionSwitches();
    bindCommands();
    bindSwitch();
    bindChoices();
}

void ChannelGroup::build(QWidget *window, const ChannelDesign &d)
{
    Widgets &w = m_widgets;
    const int n = m_channel.number();
    w.fraPort = placeFrame(window, numbered("fraPort", n), tr("Comm Port %1").arg(n), d.fraPort);
    QWidget *port = w.fraPort;
    w.lblPort =
        placeLabel(port, numbered("lblPort", n), tr("Comm &Port"), d.portLabelAlignment, d.lblPort);
    w.cmbPort = portList(port, numbered("cmbPort", n), QLatin1String(d.shownPort), d.cmbPort);
    w.optOn = placeOption(port, d.onOffName, 0, tr("&On"), d.optOn);
    w.optOff = placeOption(port, d.onOffName, 1, tr("Off"), d.optOff);
    // A group of their own: the frame also holds the other option groups,
    // which Qt would otherwise count in, and a click could then clear both.
    auto *onOff = new QButtonGroup(w.fraPort);
    onOff->addButton(w.optOn, 0);
    onOff->addButton(w.optOff, 1);

    w.fraFormat = placeFrame(port, numbered("fraFormat", n), tr("For&mat"), d.fraFormat);
    w.optASCII = placeOption(w.fraFormat, numbered("optASCII", n), 0, tr("ASCII"), d.optASCII);
    w.optDec = placeOption(w.fraFormat, numbered("optDec", n), 1, tr("Decimal"), d.optDec);
    w.optHex = placeOption(w.fraFormat, numbered("optHex", n), 2, tr("Hex"), d.optHex);

    w.fraDisplay = placeFrame(port, numbered("fraDisplay", n), tr("&Display"), d.fraDisplay);
    w.optRT = placeOption(w.fraDisplay, numbered("optRT", n), 0, tr("Real Time"), d.optRT);
    w.optTO = placeOption(w.fraDisplay, numbered("optTO", n), 1, tr("Time Out"), d.optTO);
    w.optChar = placeOption(w.fraDisplay, numbered("optChar", n), 2, tr("After CR"), d.optChar);

    w.cmdClearR = button(port, numbered("cmdClearR", n), tr("Cle&ar"), d.cmdClearR);
    w.txtRecv = placeControl<CapturePane>(port, numbered("txtRecv", n), d.txtRecv);

    w.fraTransmit = placeFrame(port, d.transmitName, tr("&Transmit"), d.fraTransmit);
    QWidget *tx = w.fraTransmit;
    w.optLive = placeOption(tx, numbered("optLive", n), 0, tr("Real Time"), d.optLive);
    w.optCR = placeOption(tx, d.afterCrName, 1, tr("After CR"), d.optCR);
    w.cmdRepeat = button(tx, numbered("cmdRepeat", n), tr("R&epeat"), d.cmdRepeat);
    w.cmdClear = button(tx, numbered("cmdClear", n), tr("Clea&r"), d.cmdClear);
    w.chkHex = placeControl<QCheckBox>(tx, numbered("chkHex", n), d.chkHex);
    w.chkHex->setText(tr("He&x"));
    w.txtSend = placeControl<TransmitEdit>(tx, numbered("txtSend", n), d.txtSend);

    for (QRadioButton *selected : {w.optOff, w.optASCII, w.optRT, w.optLive})
        selected->setChecked(true);

    if (m_channel.offersTcp()) {
        // Channel 1's fields keep their names; the others' carry the number.
        const auto name = [n](const char *base) {
            return n == 1 ? QByteArray(base) : numbered(base, n);
        };
        w.lblIP = placeLabel(port, name("lblIP"), tr("&IP:"), Qt::AlignRight, d.lblIP);
        w.lblSocket =
            placeLabel(port, name("lblSocket"), tr("Soc&ket"), Qt::AlignRight, d.lblSocket);
        w.txtHost = placeControl<QLineEdit>(window, name("txtHost"), d.txtHost);
        // A peer on this machine is the safe default.
        w.txtHost->setText(QStringLiteral("127.0.0.1"));
        w.txtPort = placeControl<QLineEdit>(window, name("txtPort"), d.txtPort);
        w.txtPort->setText(QStringLiteral("9761"));
        w.txtHost->raise();
        w.txtPort->raise();
        w.lblIP->setBuddy(w.txtHost);
        w.lblSocket->setBuddy(w.txtPort);
    }
    w.lblPort->setBuddy(w.cmbPort);
    ChannelGroupAccessibility::describe(w, n);
}

QList<QWidget *> ChannelGroup::workingControls() const
{
    return {m_widgets.txtSend, m_widgets.cmdClear, m_widgets.cmdClearR, m_widgets.cmdRepeat};
}

QList<QWidget *> ChannelGroup::tcpFields() const
{
    if (!m_widgets.txtHost)
        return {};
    return {m_widgets.txtHost, m_widgets.txtPort, m_widgets.lblSocket, m_widgets.lblIP};
}

void ChannelGroup::bindOptionSwitches()
{
    // Each option stores its mode when clicked, also when it is already the
    // selected one. (The arrow keys within a frame click the option they move
    // to.)
    const auto storeDisplay = [this](QRadioButton *option, DisplayMode mode) {
        connect(option, &QRadioButton::clicked, this,
                [this, mode] { m_channel.setDisplayMode(mode); });
    };
    const auto storeTransmit = [this](QRadioButton *option, TransmitMode mode) {
        connect(option, &QRadioButton::clicked, this,
                [this, mode] { m_channel.setTransmitMode(mode); });
    };
    // The format through the channel, which says so: the pane's width
    // follows it (see showFormat).
    const auto storeFormat = [this](QRadioButton *option, ReceiveFormat format) {
        connect(option, &QRadioButton::clicked, this,
                [this, format] { m_channel.setFormat(format); });
    };
    storeFormat(m_widgets.optASCII, ReceiveFormat::Ascii);
    storeFormat(m_widgets.optDec, ReceiveFormat::Decimal);
    storeFormat(m_widgets.optHex, ReceiveFormat::Hex);
    storeDisplay(m_widgets.optRT, DisplayMode::RealTime);
    storeDisplay(m_widgets.optTO, DisplayMode::TimeOut);
    storeDisplay(m_widgets.optChar, DisplayMode::AfterCr);
    storeTransmit(m_widgets.optLive, TransmitMode::RealTime);
    storeTransmit(m_widgets.optCR, TransmitMode::AfterCr);
    connect(m_widgets.chkHex, &QCheckBox::stateChanged, this,
            [this](int state) { m_channel.setHexEntry(state != Qt::Unchecked); });
    // Showing a mode clicks nothing, so it is not stored again.
    connect(&m_channel, &Channel::modesChanged, this, &ChannelGroup::showModes);
}

void ChannelGroup::showFormat()
{
    QRadioButton *const options[] = {m_widgets.optASCII, m_widgets.optDec, m_widgets.optHex};
    const auto chosen = qsizetype(m_channel.modes().format);
    for (qsizetype i = 0; i < qsizetype(std::size(options)); ++i) {
        // An exclusive option can't be unchecked while it is one.
        options[i]->setAutoExclusive(false);
        options[i]->setChecked(i == chosen);
        options[i]->setAutoExclusive(true);
    }
    // A dump row is wider than the pane at the window's design size: the
    // dump view scrolls sideways rather than cutting each row in two.
    const bool dump = m_channel.modes().format == ReceiveFormat::Dump;
    // The Terminal format's screen below the text, at its own width.
    TerminalScreen &screen = m_channel.receiver().terminal();
    const bool terminal = m_channel.modes().format == ReceiveFormat::Terminal;
    m_widgets.txtRecv->setTerminal(terminal ? &screen : nullptr);
    m_widgets.txtRecv->setLeastColumns(dump       ? DumpRows::kRowColumns
                                       : terminal ? screen.columns()
                                                  : 0);
}

void ChannelGroup::bindCommands()
{
    Channel *channel = &m_channel;
    connect(m_widgets.txtSend, &TransmitEdit::typed, channel, &Channel::type);
    m_widgets.txtSend->setRecallFrom(&m_channel.modes(), &m_channel.sentLines());
    // In the Terminal format, keys typed in Real Time send what a terminal
    // sends; the screen knows the modes the device set.
    m_widgets.txtSend->setKeyTranslator([channel](const QKeyEvent &key) {
        if (channel->modes().format != ReceiveFormat::Terminal ||
            channel->modes().transmit != TransmitMode::RealTime)
            return QByteArray();
        return channel->receiver().terminal().keyBytes(key.key(), key.modifiers());
    });
    connect(m_widgets.txtSend, &TransmitEdit::keySent, channel, &Channel::sendKey);
    connect(m_widgets.cmdRepeat, &QPushButton::clicked, channel, &Channel::repeat);
    connect(m_widgets.cmdClear, &QPushButton::clicked, this, [this] {
        m_channel.clearTransmit();
        m_widgets.txtSend->clear();
    });
    connect(m_widgets.cmdClearR, &QPushButton::clicked, channel, &Channel::clearReceived);
}

void ChannelGroup::bindSwitch()
{
    // A click on the member already selected changes nothing.
    connect(m_widgets.optOn, &QRadioButton::clicked, this, [this] {
        if (!m_channel.isOn())
            m_channel.switchOn();
    });
    connect(m_widgets.optOff, &QRadioButton::clicked, this, [this] {
        if (m_channel.isOn())
            m_channel.switchOff();
    });
    connect(&m_channel, &Channel::onChanged, this, [this](bool on) {
        // Also when a script or a setup switched the channel.
        (on ? m_widgets.optOn : m_widgets.optOff)->setChecked(true);
        setWorkingControlsEnabled(on);
    });
    connect(&m_channel, &Channel::failed, this, &ChannelGroup::showFailure);
    connect(&m_channel, &Channel::transmitRefused, this, &ChannelGroup::showTransmitRefused);
    if (m_widgets.txtHost)
        connect(m_widgets.cmbPort, &QComboBox::activated, this,
                &ChannelGroup::showTcpFieldsForChoice);
}

bool ChannelGroup::tcpChosen() const
{
    return m_widgets.txtHost && ChannelLink::networkOfEntry(m_widgets.cmbPort->currentText());
}

void ChannelGroup::setWorkingControlsEnabled(bool enabled)
{
    for (QWidget *control : workingControls())
        control->setEnabled(enabled);
    // What was received stays within reach while the channel is off.
    m_widgets.txtRecv->setInactive(!enabled);
}

void ChannelGroup::showFailure(const QString &text, const QString &detail)
{
    m_widgets.optOff->setChecked(true);
    setWorkingControlsEnabled(false);
    showProgramMessage(m_widgets.fraPort->window(), text, detail);
}

void ChannelGroup::showTransmitRefused(qint64 count)
{
    const QLocale locale;
    const qint64 limit = m_channel.transmitLimit();
    showProgramMessage(
        m_widgets.fraPort->window(),
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

void ChannelGroup::bindChoices()
{
    // Each load shows the designed port and fields: they become the
    // channel's choices, which the controls then edit.
    writeShownChoices();
    connect(m_widgets.cmbPort, &QComboBox::currentTextChanged, &m_channel, &Channel::setPortText);
    if (m_widgets.txtHost) {
        connect(m_widgets.txtHost, &QLineEdit::textChanged, &m_channel, &Channel::setHost);
        connect(m_widgets.txtPort, &QLineEdit::textChanged, &m_channel, &Channel::setSocket);
    }
    connect(&m_channel, &Channel::choicesChanged, this, &ChannelGroup::showChoices);
}

void ChannelGroup::writeShownChoices()
{
    ChannelChoices shown = m_channel.choices();
    shown.port = m_widgets.cmbPort->currentText();
    if (m_widgets.txtHost) {
        shown.host = m_widgets.txtHost->text();
        shown.socket = m_widgets.txtPort->text();
    }
    m_channel.setChoices(shown);
}

void ChannelGroup::showChoices()
{
    // A copy: showing a text writes it back, which must change nothing.
    const ChannelChoices choices = m_channel.choices();
    const Widgets &w = m_widgets;
    if (w.cmbPort->currentText() != choices.port) {
        {
            // The entry and the text are shown as one change.
            const QSignalBlocker quiet(w.cmbPort);
            w.cmbPort->setCurrentIndex(w.cmbPort->findText(choices.port));
            w.cmbPort->setEditText(choices.port);
        }
        for (QWidget *field : tcpFields())
            field->setVisible(ChannelLink::networkOfEntry(choices.port).has_value());
    }
    if (w.txtHost) {
        if (w.txtHost->text() != choices.host)
            w.txtHost->setText(choices.host);
        if (w.txtPort->text() != choices.socket)
            w.txtPort->setText(choices.socket);
    }
}

void ChannelGroup::showModes()
{
    const Widgets &w = m_widgets;
    const ChannelModes &modes = m_channel.modes();
    showFormat();
    QRadioButton *display[] = {w.optRT, w.optTO, w.optChar};
    display[int(modes.display)]->setChecked(true);
    (modes.transmit == TransmitMode::RealTime ? w.optLive : w.optCR)->setChecked(true);
    w.chkHex->setChecked(modes.hexEntry);
}

void ChannelGroup::switchOff()
{
    m_channel.switchOff();
    m_widgets.optOff->setChecked(true);
}

void ChannelGroup::switchOnAsClicked()
{
    m_widgets.optOn->click();
}

#include "moc_channel_group.cpp"

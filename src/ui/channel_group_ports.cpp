#include "ui/channel_group.h"

#include "devices/channel_link.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>

// The group's port list: filled at load, and again as devices come and go.

void ChannelGroup::showLoaded(const PortNumbering::PortList &ports)
{
    setWorkingControlsEnabled(false);
    for (QWidget *field : tcpFields())
        field->setVisible(false);
    fillPortList(ports);
}

void ChannelGroup::refreshPortList(const PortNumbering::PortList &ports)
{
    QComboBox *list = m_widgets.cmbPort;
    const QString was = list->currentText();
    const QString device = m_ports.deviceOf(was);
    const QString now = device.isEmpty() ? QString() : ports.textOf(device);
    const QString shown = now.isEmpty() ? was : now;
    {
        const QSignalBlocker quiet(list);
        list->clear();
    }
    fillPortList(ports);
    list->setCurrentIndex(list->findText(shown));
    list->setEditText(shown);
}

void ChannelGroup::fillPortList(const PortNumbering::PortList &ports)
{
    QComboBox *list = m_widgets.cmbPort;
    const QString shown = list->currentText();
    // Filling the list changes the shown text: not the operator's choice.
    const QSignalBlocker quiet(list);
    m_ports = ports;
    if (m_widgets.txtHost) {
        const QStringList tips{
            tr("A TCP connection to the host and port shown"),
            tr("A serial port on another machine: a Telnet (RFC 2217) server at the host and "
               "port shown, given the serial settings, control lines and flow control"),
            tr("Waits for one client on the port shown, at the address shown (127.0.0.1, or * "
               "for every local address)")};
        const QStringList entries = ChannelLink::networkEntries();
        for (qsizetype i = 0; i < entries.size(); ++i) {
            list->addItem(entries.at(i));
            list->setItemData(int(i), tips.value(i), Qt::ToolTipRole);
        }
    }
    const auto add = [list](const QString &text, const QString &tip) {
        list->addItem(text);
        list->setItemData(list->count() - 1, tip, Qt::ToolTipRole);
    };
    for (const PortNumbering::PortEntry &entry : ports.numbered)
        add(entry.text, entry.device);
    // The devices' stable names come next, within sight of the devices; a
    // name leads to whichever device has it now.
    for (const PortNumbering::PortEntry &entry : ports.named)
        add(entry.text, QFileInfo(entry.device).symLinkTarget());
    for (qsizetype n = ports.numbered.size() + 1; n <= 99; ++n)
        add(QString::number(n), tr("no device"));
    // The list drops down as wide as its longest entry: the box is narrow,
    // a device's name and description are not.
    QAbstractItemView *view = list->view();
    view->setMinimumWidth(view->sizeHintForColumn(0) +
                          view->verticalScrollBar()->sizeHint().width());
    // Filling the list leaves the shown text as it was.
    list->setCurrentIndex(list->findText(shown));
    list->setEditText(shown);
}

#include "support/display_fixture.h"

#include "core/pane_text.h"
#include "ui/transmit_edit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

QRadioButton *displayOption(const ChannelControls &c, const QString &mode)
{
    if (mode == QLatin1String("Real Time"))
        return c.optRT;
    if (mode == QLatin1String("Time Out"))
        return c.optTO;
    return c.optChar;
}

DisplayFixture::DisplayFixture()
{
    module.setSignOnDefaults();
    window = std::make_unique<DisplayWindow>(module);
    window->load();
    window->show();
}

DisplayFixture::~DisplayFixture() = default;

ChannelControls &DisplayFixture::channel(int number) const
{
    return number == 1 ? controls().channel1 : controls().channel2;
}

void DisplayFixture::switchOn(int number)
{
    channel(number).optOn->click();
}

void DisplayFixture::switchOff(int number)
{
    channel(number).optOff->click();
}

bool DisplayFixture::isOn(int number) const
{
    const ChannelControls &c = channel(number);
    const bool enabled = c.txtSend->isEnabled();
    // The switch and the working controls must agree.
    return c.optOn->isChecked() && enabled;
}

void DisplayFixture::choosePort1(const QString &entry)
{
    QComboBox *list = controls().channel1.cmbPort;
    const int index = list->findText(entry);
    if (index >= 0) {
        list->setCurrentIndex(index);
        emit list->activated(index);
    } else {
        list->setEditText(entry);
    }
}

void DisplayFixture::switchOnTcp(quint16 port)
{
    choosePort1(QStringLiteral("TCP"));
    controls().txtHost->setText(QStringLiteral("127.0.0.1"));
    controls().txtPort->setText(QString::number(port));
    switchOn(1);
}

QByteArray DisplayFixture::paneText(int number) const
{
    return channel(number).recvText->text();
}

void DisplayFixture::type(int number, const QString &text)
{
    QTest::keyClicks(channel(number).txtSend, text);
}

void DisplayFixture::pressEnter(int number)
{
    QTest::keyClick(channel(number).txtSend, Qt::Key_Return);
}

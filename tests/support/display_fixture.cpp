#include "support/display_fixture.h"

#include "core/pane/pane_text.h"
#include "ui/capture_pane.h"
#include "ui/transmit_edit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

QRadioButton *displayOption(const ChannelGroup &c, const QString &mode)
{
    if (mode == QLatin1String("Real Time"))
        return c.widgets().optRT;
    if (mode == QLatin1String("Time Out"))
        return c.widgets().optTO;
    return c.widgets().optChar;
}

DisplayFixture::DisplayFixture(int channelCount)
    : session(channelCount)
{
    session.setSignOnDefaults();
    window = std::make_unique<DisplayWindow>(session);
    window->load();
    window->show();
}

DisplayFixture::~DisplayFixture() = default;

ChannelGroup &DisplayFixture::channel(int number) const
{
    return controls().group(number);
}

void DisplayFixture::switchOn(int number)
{
    channel(number).widgets().optOn->click();
}

void DisplayFixture::switchOff(int number)
{
    channel(number).widgets().optOff->click();
}

bool DisplayFixture::isOn(int number) const
{
    const ChannelGroup &c = channel(number);
    const bool enabled = c.widgets().txtSend->isEnabled();
    // The switch and the working controls must agree.
    return c.widgets().optOn->isChecked() && enabled;
}

void DisplayFixture::choosePort(int channelNumber, const QString &entry)
{
    QComboBox *list = channel(channelNumber).widgets().cmbPort;
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
    channel(1).widgets().txtHost->setText(QStringLiteral("127.0.0.1"));
    channel(1).widgets().txtPort->setText(QString::number(port));
    switchOn(1);
}

QByteArray DisplayFixture::paneText(int number) const
{
    return session.channel(number).pane().text();
}

void DisplayFixture::type(int number, const QString &text)
{
    QTest::keyClicks(channel(number).widgets().txtSend, text);
}

void DisplayFixture::pressEnter(int number)
{
    QTest::keyClick(channel(number).widgets().txtSend, Qt::Key_Return);
}

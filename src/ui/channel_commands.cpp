#include "ui/channel_commands.h"

#include "core/channel_receiver.h"
#include "ui/transmit_edit.h"
#include "core/transmit_line.h"
#include "ui/channel_link.h"
#include "ui/capture_pane.h"
#include "ui/display_controls.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

void storeWhenChosen(QRadioButton *option, QString &variable, QLatin1String keyword)
{
    // Choosing the selected option again stores its keyword again. (The
    // arrow keys within a frame click the option they move to.)
    QObject::connect(option, &QRadioButton::clicked, option,
                     [&variable, keyword] { variable = keyword; });
}

bool hexEntry(const ChannelControls &controls)
{
    return controls.chkHex->checkState() != Qt::Unchecked;
}

} // namespace

void connectOptionSwitches(const ChannelControls &controls, ChannelModes &modes)
{
    storeWhenChosen(controls.optASCII, modes.strFormat, Keyword::Ascii);
    storeWhenChosen(controls.optDec, modes.strFormat, Keyword::Decimal);
    storeWhenChosen(controls.optHex, modes.strFormat, Keyword::Hex);
    storeWhenChosen(controls.optRT, modes.strDisp, Keyword::RealTime);
    storeWhenChosen(controls.optTO, modes.strDisp, Keyword::TimeOut);
    storeWhenChosen(controls.optChar, modes.strDisp, Keyword::Char);
    storeWhenChosen(controls.optLive, modes.strTrans, Keyword::RealTime);
    storeWhenChosen(controls.optCR, modes.strTrans, Keyword::AfterCr);
}

void connectChannelCommands(ChannelControls &controls, ChannelModes &modes, ChannelLink &link)
{
    connectOptionSwitches(controls, modes);

    QObject::connect(controls.txtSend, &TransmitEdit::typed, &link,
                     [&controls, &modes, &link](const QByteArray &codes) {
                         const QByteArrayList transmissions =
                             TransmitLine::type(modes, hexEntry(controls), codes);
                         for (const QByteArray &bytes : transmissions)
                             link.send(bytes);
                     });
    QObject::connect(controls.cmdRepeat, &QPushButton::clicked, &link, [&controls, &modes, &link] {
        link.send(TransmitLine::repeatRecord(modes, hexEntry(controls)));
    });
    QObject::connect(controls.cmdClear, &QPushButton::clicked, &link, [&controls, &modes] {
        TransmitLine::clearRecords(modes);
        controls.txtSend->clear();
    });
    QObject::connect(controls.cmdClearR, &QPushButton::clicked, &link,
                     [&link] { link.receiver().clearReceived(); });
}

#include "ui/channel_command_actions.h"

#include "devices/channel.h"
#include "ui/line_ending_menu.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace {

QAction *namedAction(QObject *owner, const QString &text, const QString &name)
{
    auto *action = new QAction(text, owner);
    action->setObjectName(name);
    return action;
}

// Channels 1 and 2 have entries of their own letters where the numbers are
// taken by the entries before them; later channels share the second's.
QString numberedCaption(int n, const char *context, const char *first, const char *second)
{
    return QCoreApplication::translate(context, n == 1 ? first : second).arg(n);
}

} // namespace

// The texts keep the translation contexts of the menus that list them.
ChannelCommandActions::ChannelCommandActions(Channel &channel, QWidget *view)
    : QObject(view)
{
    const int n = channel.number();
    m_record = namedAction(
        this, QCoreApplication::translate("CaptureMenu", "Record Comm Port &%1...").arg(n),
        QStringLiteral("mnuCaptureRecord%1").arg(n));
    m_record->setCheckable(true);
    m_savePane = namedAction(
        this,
        numberedCaption(n, "CaptureMenu",
                        QT_TRANSLATE_NOOP("CaptureMenu", "&Save Comm Port %1 Pane As..."),
                        QT_TRANSLATE_NOOP("CaptureMenu", "Save Comm Port %1 Pane &As...")),
        QStringLiteral("mnuCaptureSave%1").arg(n));
    m_sendFile = namedAction(
        this,
        QCoreApplication::translate("SendFileCommands", "Send File to Comm Port &%1...").arg(n),
        QStringLiteral("mnuFileSend%1").arg(n));
    m_receiveFile = namedAction(
        this,
        numberedCaption(
            n, "SendFileCommands",
            QT_TRANSLATE_NOOP("SendFileCommands", "Receive &File from Comm Port %1..."),
            QT_TRANSLATE_NOOP("SendFileCommands", "Recei&ve File from Comm Port %1...")),
        QStringLiteral("mnuFileReceive%1").arg(n));
    m_sendButtons =
        namedAction(this, QCoreApplication::translate("SendButtonCommands", "Send Buttons..."),
                    QStringLiteral("mnuSendButtons%1").arg(n));
    m_sendButtonsItem = namedAction(
        this, QCoreApplication::translate("SendButtonCommands", "Comm Port &%1...").arg(n),
        QStringLiteral("mnuSetupSendButtons%1").arg(n));
    connect(m_sendButtonsItem, &QAction::triggered, m_sendButtons, &QAction::trigger);
    m_enterSendsPart = makeEnterSendsPart(channel, view);
}

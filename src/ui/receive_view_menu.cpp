#include "ui/receive_view_menu.h"

#include "devices/channel.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>

namespace {

struct BreakEntry
{
    LineBreaks rule;
    const char *caption;
};

const BreakEntry breakEntries[] = {
    {LineBreaks::Any, QT_TRANSLATE_NOOP("ReceiveViewMenu", "&Any (CR, LF or CR LF)")},
    {LineBreaks::CrLf, QT_TRANSLATE_NOOP("ReceiveViewMenu", "CR LF (&Both)")},
    {LineBreaks::Lf, QT_TRANSLATE_NOOP("ReceiveViewMenu", "&LF")},
    {LineBreaks::Cr, QT_TRANSLATE_NOOP("ReceiveViewMenu", "&CR")},
};

QAction *addCheckable(QMenu *menu, const QString &caption, const QString &name)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(true);
    return action;
}

void addChannelEntries(QMenu *sub, Channel &channel)
{
    const int n = channel.number();
    QAction *echo = addCheckable(sub, QMenu::tr("Local &Echo"), QStringLiteral("mnuEcho%1").arg(n));
    QObject::connect(echo, &QAction::toggled, &channel, &Channel::setLocalEcho);
    QAction *dump = addCheckable(sub, QMenu::tr("&Dump View"), QStringLiteral("mnuDump%1").arg(n));
    QObject::connect(dump, &QAction::triggered, &channel, [&channel](bool on) {
        channel.setFormat(on ? ReceiveFormat::Dump : ReceiveFormat::Ascii);
    });
    QAction *terminal =
        addCheckable(sub, QMenu::tr("&Terminal"), QStringLiteral("mnuTerminal%1").arg(n));
    QObject::connect(terminal, &QAction::triggered, &channel, [&channel](bool on) {
        channel.setFormat(on ? ReceiveFormat::Terminal : ReceiveFormat::Ascii);
    });
    QMenu *breaks = sub->addMenu(QMenu::tr("&New Line On"));
    breaks->setObjectName(QStringLiteral("mnuNewLine%1").arg(n));
    auto *group = new QActionGroup(breaks);
    for (const BreakEntry &entry : breakEntries) {
        QAction *action = addCheckable(
            breaks, QCoreApplication::translate("ReceiveViewMenu", entry.caption),
            QStringLiteral("mnuNewLine%1%2").arg(n).arg(keywordOf(entry.rule)).remove(u' '));
        group->addAction(action);
        const LineBreaks rule = entry.rule;
        QObject::connect(action, &QAction::triggered, &channel,
                         [&channel, rule] { channel.setLineBreaks(rule); });
    }
    // A setup file or the format options may have changed the choices.
    QObject::connect(sub, &QMenu::aboutToShow, sub, [echo, dump, terminal, breaks, &channel] {
        const QSignalBlocker quiet(echo);
        echo->setChecked(channel.module().localEcho);
        dump->setChecked(channel.modes().format == ReceiveFormat::Dump);
        terminal->setChecked(channel.modes().format == ReceiveFormat::Terminal);
        const QList<QAction *> actions = breaks->actions();
        for (qsizetype i = 0; i < actions.size(); ++i)
            actions[i]->setChecked(breakEntries[i].rule == channel.module().lineBreaks);
    });
}

} // namespace

QMenu *addReceiveViewMenu(QMenu *setup)
{
    QMenu *menu = setup->addMenu(QMenu::tr("&Receive View"));
    menu->setObjectName(QStringLiteral("mnuSetupReceiveView"));
    return menu;
}

QMenu *makeReceiveViewPart(Channel &channel, QWidget *owner)
{
    auto *sub = new QMenu(QMenu::tr("Comm Port &%1").arg(channel.number()), owner);
    sub->setObjectName(QStringLiteral("mnuReceiveView%1").arg(channel.number()));
    addChannelEntries(sub, channel);
    return sub;
}

#include "ui/line_ending_menu.h"

#include "devices/channel.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>

namespace {

struct EndingEntry
{
    LineEnding ending;
    const char *name;
    const char *caption;
};

const EndingEntry entries[] = {
    {LineEnding::Cr, "CR", QT_TRANSLATE_NOOP("LineEndingMenu", "&CR")},
    {LineEnding::Lf, "LF", QT_TRANSLATE_NOOP("LineEndingMenu", "&LF")},
    {LineEnding::CrLf, "CRLF", QT_TRANSLATE_NOOP("LineEndingMenu", "CR LF (&Both)")},
    {LineEnding::None, "None", QT_TRANSLATE_NOOP("LineEndingMenu", "&Nothing")},
};

} // namespace

QMenu *addLineEndingMenu(QMenu *setup)
{
    QMenu *menu = setup->addMenu(QMenu::tr("&Enter Sends"));
    menu->setObjectName(QStringLiteral("mnuSetupEnding"));
    return menu;
}

QMenu *makeEnterSendsPart(Channel &channel, QWidget *owner)
{
    const int n = channel.number();
    auto *sub = new QMenu(QMenu::tr("Comm Port &%1").arg(n), owner);
    sub->setObjectName(QStringLiteral("mnuEnding%1").arg(n));
    auto *group = new QActionGroup(sub);
    for (const EndingEntry &entry : entries) {
        QAction *action =
            sub->addAction(QCoreApplication::translate("LineEndingMenu", entry.caption));
        action->setObjectName(
            QStringLiteral("mnuEnding%1%2").arg(n).arg(QLatin1String(entry.name)));
        action->setCheckable(true);
        group->addAction(action);
        const LineEnding ending = entry.ending;
        QObject::connect(action, &QAction::triggered, &channel,
                         [&channel, ending] { channel.setLineEnding(ending); });
    }
    // A setup file may have changed the choice meanwhile.
    QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, &channel] {
        const QList<QAction *> actions = sub->actions();
        for (qsizetype i = 0; i < actions.size(); ++i)
            actions[i]->setChecked(entries[i].ending == channel.module().lineEnding);
    });
    return sub;
}

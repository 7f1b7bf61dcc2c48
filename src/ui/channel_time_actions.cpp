#include "ui/channel_time_actions.h"

#include "devices/channel.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

ChannelTimeActions::ChannelTimeActions(Channel &channel, QWidget *menuParent)
    : QObject(menuParent)
    , m_channel(channel)
    , m_paneMenu(new QMenu(tr("Show &Time"), menuParent))
{
    m_paneMenu->setObjectName(QStringLiteral("mnuPaneTime%1").arg(channel.number()));
    build();
    addTo(m_paneMenu);
    bind();
    showState();
}

void ChannelTimeActions::build()
{
    const int n = m_channel.number();
    Actions &a = m_actions;
    auto *forms = new QActionGroup(this);
    const std::array<QString, 4> captions{tr("&No Times"), tr("Time of &Day"),
                                          tr("Time Since &First Line"),
                                          tr("Time Since &Previous Line")};
    for (size_t i = 0; i < a.forms.size(); ++i) {
        a.forms[i] = new QAction(captions[i], this);
        a.forms[i]->setObjectName(QStringLiteral("mnuViewTime%1_%2").arg(n).arg(i));
        a.forms[i]->setCheckable(true);
        forms->addAction(a.forms[i]);
    }
    a.inCopies = new QAction(tr("Times in &Copies and Saves"), this);
    a.inCopies->setObjectName(QStringLiteral("mnuViewTimesInCopies%1").arg(n));
    a.inCopies->setCheckable(true);
    a.inCopies->setToolTip(tr("Copy and Save Pane As put each line's time before it"));
}

void ChannelTimeActions::addTo(QMenu *menu) const
{
    menu->setToolTipsVisible(true);
    for (QAction *form : m_actions.forms)
        menu->addAction(form);
    menu->addSeparator();
    menu->addAction(m_actions.inCopies);
}

void ChannelTimeActions::bind()
{
    Channel &channel = m_channel;
    for (size_t i = 0; i < m_actions.forms.size(); ++i) {
        connect(m_actions.forms[i], &QAction::triggered, this, [&channel, i] {
            PaneTimeChoice choice = channel.paneTimes();
            choice.form = LineTimeForm(i);
            channel.setPaneTimes(choice);
        });
    }
    connect(m_actions.inCopies, &QAction::triggered, this, [&channel](bool on) {
        PaneTimeChoice choice = channel.paneTimes();
        choice.inCopies = on;
        channel.setPaneTimes(choice);
    });
    connect(&channel, &Channel::paneTimesChanged, this, &ChannelTimeActions::showState);
}

void ChannelTimeActions::showState()
{
    const PaneTimeChoice &choice = m_channel.paneTimes();
    m_actions.forms.at(size_t(choice.form))->setChecked(true);
    m_actions.inCopies->setChecked(choice.inCopies);
    m_actions.inCopies->setEnabled(choice.form != LineTimeForm::Off);
}

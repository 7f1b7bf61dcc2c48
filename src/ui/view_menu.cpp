#include "ui/view_menu.h"

#include "devices/capture_session.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

ViewMenu::ViewMenu(CaptureSession &session, QWidget *window)
    : QObject(window)
    , m_session(session)
    , m_window(window)
    , m_menu(new QMenu(tr("&View"), window))
    , m_paneMenus(size_t(session.channelCount()))
    , m_actions(size_t(session.channelCount()))
{
    m_menu->setObjectName(QStringLiteral("mnuView"));
    for (const Channel *entry : m_session.channels()) {
        build(entry->number());
        bind(entry->number());
        showState(entry->number());
    }
}

void ViewMenu::build(int n)
{
    Actions &a = m_actions.at(size_t(n - 1));
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

    // The menu bar's part and the pane's submenu share the actions.
    auto *part = m_menu->addMenu(tr("Comm Port &%1").arg(n));
    part->setObjectName(QStringLiteral("mnuViewPort%1").arg(n));
    auto *pane = new QMenu(tr("Show &Time"), m_window);
    pane->setObjectName(QStringLiteral("mnuPaneTime%1").arg(n));
    m_paneMenus.at(size_t(n - 1)) = pane;
    for (QMenu *menu : {part, pane}) {
        menu->setToolTipsVisible(true);
        for (QAction *form : a.forms)
            menu->addAction(form);
        menu->addSeparator();
        menu->addAction(a.inCopies);
    }
}

void ViewMenu::bind(int n)
{
    const Actions &a = actions(n);
    Channel &channel = m_session.channel(n);
    for (size_t i = 0; i < a.forms.size(); ++i) {
        connect(a.forms[i], &QAction::triggered, this, [&channel, i] {
            PaneTimeChoice choice = channel.paneTimes();
            choice.form = LineTimeForm(i);
            channel.setPaneTimes(choice);
        });
    }
    connect(a.inCopies, &QAction::triggered, this, [&channel](bool on) {
        PaneTimeChoice choice = channel.paneTimes();
        choice.inCopies = on;
        channel.setPaneTimes(choice);
    });
    connect(&channel, &Channel::paneTimesChanged, this, [this, n] { showState(n); });
}

void ViewMenu::showState(int n)
{
    const Actions &a = actions(n);
    const PaneTimeChoice &choice = m_session.channel(n).paneTimes();
    a.forms.at(size_t(choice.form))->setChecked(true);
    a.inCopies->setChecked(choice.inCopies);
    a.inCopies->setEnabled(choice.form != LineTimeForm::Off);
}

#include "moc_view_menu.cpp"

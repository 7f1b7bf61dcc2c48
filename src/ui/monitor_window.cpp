#include "ui/monitor_window.h"

#include "core/pane/dump_rows.h"
#include "core/pane/pane_text_file.h"
#include "core/shown_text.h"
#include "devices/capture_session.h"
#include "ui/capture_pane.h"
#include "ui/pane_find_box.h"
#include "ui/program_message.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

MonitorWindow::MonitorWindow(CaptureSession &session, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_pane(new CapturePane(this))
{
    setObjectName(QStringLiteral("frmMonitor"));
    setWindowTitle(tr("Monitor"));
    m_pane->setObjectName(QStringLiteral("txtMonitor"));
    m_pane->setModel(&m_monitor.text());
    PaneFindBox::attach(m_pane, tr("Monitor"));
    auto *save = new QAction(tr("Save Pane &As..."), this);
    save->setObjectName(QStringLiteral("mnuMonitorSave"));
    connect(save, &QAction::triggered, this, &MonitorWindow::askToSave);
    m_pane->setContextActions({save});

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildChoices(session));
    layout->addWidget(m_pane, 1);
    resize(720, 420);

    for (Channel *channel : session.channels()) {
        const int n = channel->number();
        connect(channel, &Channel::batchReceived, this,
                [this, n](const QByteArray &batch, const ArrivalTime &arrival) {
                    m_monitor.receive(n, batch, arrival);
                });
    }
}

QWidget *MonitorWindow::buildChoices(CaptureSession &session)
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    for (Channel *channel : session.channels()) {
        const int n = channel->number();
        auto *shown = new QCheckBox(tr("Comm Port &%1").arg(n), bar);
        shown->setObjectName(QStringLiteral("chkMonitorPort%1").arg(n));
        shown->setChecked(true);
        connect(shown, &QCheckBox::toggled, this,
                [this, n](bool on) { m_monitor.setShown(n, on); });
        row->addWidget(shown);
    }
    m_format = new QComboBox(bar);
    m_format->setObjectName(QStringLiteral("cmbMonitorFormat"));
    m_format->addItem(tr("ASCII"), int(ReceiveFormat::Ascii));
    m_format->addItem(tr("Hex"), int(ReceiveFormat::Hex));
    m_format->addItem(tr("Decimal"), int(ReceiveFormat::Decimal));
    m_format->addItem(tr("Dump"), int(ReceiveFormat::Dump));
    connect(m_format, &QComboBox::currentIndexChanged, this, &MonitorWindow::applyFormat);
    m_times = new QComboBox(bar);
    m_times->setObjectName(QStringLiteral("cmbMonitorTimes"));
    m_times->addItems({tr("No Times"), tr("Time of Day"), tr("Time Since First Line"),
                       tr("Time Since Previous Line")});
    connect(m_times, &QComboBox::currentIndexChanged, this, &MonitorWindow::applyTimes);
    m_timesInCopies = new QCheckBox(tr("Times in &Copies and Saves"), bar);
    m_timesInCopies->setObjectName(QStringLiteral("chkMonitorTimesInCopies"));
    connect(m_timesInCopies, &QCheckBox::toggled, this, &MonitorWindow::applyTimes);
    auto *clear = new QPushButton(tr("C&lear"), bar);
    clear->setObjectName(QStringLiteral("cmdMonitorClear"));
    connect(clear, &QPushButton::clicked, this, [this] { m_monitor.clear(); });

    auto *formatLabel = new QLabel(tr("&Format"), bar);
    formatLabel->setBuddy(m_format);
    auto *timesLabel = new QLabel(tr("&Times"), bar);
    timesLabel->setBuddy(m_times);
    row->addStretch(1);
    for (QWidget *widget : {static_cast<QWidget *>(formatLabel), static_cast<QWidget *>(m_format),
                            static_cast<QWidget *>(timesLabel), static_cast<QWidget *>(m_times),
                            static_cast<QWidget *>(m_timesInCopies), static_cast<QWidget *>(clear)})
        row->addWidget(widget);
    applyTimes();
    return bar;
}

void MonitorWindow::applyFormat()
{
    const auto format = ReceiveFormat(m_format->currentData().toInt());
    m_monitor.setFormat(format);
    m_pane->setLeastColumns(format == ReceiveFormat::Dump ? DumpRows::kRowColumns : 0);
}

void MonitorWindow::applyTimes()
{
    PaneTimeChoice choice;
    choice.form = LineTimeForm(m_times->currentIndex());
    choice.inCopies = m_timesInCopies->isChecked();
    m_timesInCopies->setEnabled(choice.form != LineTimeForm::Off);
    m_pane->setTimeChoice(choice);
}

bool MonitorWindow::savePane(const QString &path)
{
    const PaneTimeChoice &times = m_pane->timeChoice();
    const QString failure =
        savePaneText(m_monitor.text(), path, times.inCopies ? times.form : LineTimeForm::Off);
    if (failure.isEmpty())
        return true;
    showProgramMessage(this, tr("%1 was not saved.").arg(shownText(path)), failure);
    return false;
}

void MonitorWindow::askToSave()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Monitor Pane As"), QString(),
                                                      tr("Text (*.txt);;All files (*)"));
    if (!path.isEmpty())
        savePane(path);
}

#include "moc_monitor_window.cpp"

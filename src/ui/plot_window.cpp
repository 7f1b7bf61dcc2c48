#include "ui/plot_window.h"

#include "core/plot/plot_csv.h"
#include "devices/channel.h"
#include "ui/plot_view.h"
#include "ui/program_message.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kPlotFollowChoices[] = {10, 60, 600, 3600, 0};

} // namespace

PlotWindow::PlotWindow(Channel &channel, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_channel(channel)
    , m_view(new PlotView(channel.plot(), this))
    , m_follow(new QComboBox(this))
    , m_pause(new QCheckBox(tr("&Pause"), this))
    , m_series(new QToolButton(this))
    , m_pattern(new QLineEdit(this))
    , m_patternError(new QLabel(this))
{
    const int n = channel.number();
    setWindowTitle(tr("Comm Port %1 Plot").arg(n));
    setObjectName(QStringLiteral("plotWindow%1").arg(n));
    resize(800, 480);
    ChannelPlot &plot = channel.plot();

    m_view->setAccessibleName(tr("Comm Port %1 plot").arg(n));
    m_follow->addItems({tr("Last 10 s"), tr("Last minute"), tr("Last 10 minutes"), tr("Last hour"),
                        tr("Whole capture")});
    m_follow->setAccessibleName(tr("Time shown"));
    m_follow->setToolTip(tr("Follow the newest numbers over this time, or show the whole capture"));
    m_pause->setToolTip(tr("Keep the time shown while numbers go on arriving (Space)"));
    m_series->setText(tr("&Series"));
    m_series->setAccessibleName(tr("Series shown"));
    m_series->setPopupMode(QToolButton::InstantPopup);
    m_series->setMenu(new QMenu(m_series));
    auto *patternLabel = new QLabel(tr("Pa&ttern:"), this);
    patternLabel->setBuddy(m_pattern);
    m_pattern->setAccessibleName(tr("Pattern"));
    m_pattern->setPlaceholderText(tr("automatic: key=value pairs or columns"));
    m_pattern->setToolTip(tr("A regular expression whose named groups are the series, such as "
                             "T=(?<T>\\S+)"));
    m_pattern->setText(plot.pattern());
    m_patternError->setAccessibleName(tr("Pattern error"));
    m_patternError->setTextFormat(Qt::PlainText);
    auto *exportButton = new QPushButton(tr("&Export CSV..."), this);
    auto *imageButton = new QPushButton(tr("Save &Image..."), this);
    auto *clearButton = new QPushButton(tr("&Clear"), this);
    clearButton->setToolTip(tr("Forget every number plotted so far"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_follow);
    bar->addWidget(m_pause);
    bar->addWidget(m_series);
    bar->addWidget(patternLabel);
    bar->addWidget(m_pattern, 1);
    bar->addWidget(exportButton);
    bar->addWidget(imageButton);
    bar->addWidget(clearButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_patternError);
    layout->addWidget(m_view, 1);
    m_patternError->hide();
    setTabOrder(m_follow, m_pause);
    setTabOrder(m_pause, m_series);
    setTabOrder(m_series, m_pattern);
    setTabOrder(m_pattern, exportButton);
    setTabOrder(exportButton, imageButton);
    setTabOrder(imageButton, clearButton);
    setTabOrder(clearButton, m_view);

    showFollow();
    connect(m_follow, &QComboBox::activated, this,
            [&plot](int index) { plot.setFollowSeconds(kPlotFollowChoices[index]); });
    connect(&plot, &ChannelPlot::followChanged, this, &PlotWindow::showFollow);
    connect(m_pause, &QCheckBox::toggled, m_view, &PlotView::setPaused);
    connect(m_view, &PlotView::pausedChanged, m_pause, &QCheckBox::setChecked);
    connect(m_series->menu(), &QMenu::aboutToShow, this, &PlotWindow::rebuildSeriesMenu);
    connect(m_pattern, &QLineEdit::editingFinished, this, &PlotWindow::applyPattern);
    connect(&plot, &ChannelPlot::patternChanged, this,
            [this, &plot] { m_pattern->setText(plot.pattern()); });
    connect(exportButton, &QPushButton::clicked, this, &PlotWindow::exportCsv);
    connect(imageButton, &QPushButton::clicked, this, &PlotWindow::saveImage);
    connect(clearButton, &QPushButton::clicked, &plot, &ChannelPlot::clear);
    plot.setOn(true);
}

void PlotWindow::showFollow()
{
    const int seconds = m_channel.plot().followSeconds();
    const auto *found =
        std::find(std::begin(kPlotFollowChoices), std::end(kPlotFollowChoices), seconds);
    if (found != std::end(kPlotFollowChoices)) {
        m_follow->setCurrentIndex(int(found - std::begin(kPlotFollowChoices)));
    } else {
        // A setup's own number of seconds.
        if (m_follow->count() == int(std::size(kPlotFollowChoices)))
            m_follow->addItem(QString());
        m_follow->setItemText(m_follow->count() - 1, tr("Last %n s", "", seconds));
        m_follow->setCurrentIndex(m_follow->count() - 1);
    }
}

void PlotWindow::applyPattern()
{
    const QString error = m_channel.plot().setPattern(m_pattern->text().trimmed());
    m_patternError->setText(error.isEmpty() ? QString()
                                            : tr("The pattern was not taken: %1").arg(error));
    m_patternError->setVisible(!error.isEmpty());
}

void PlotWindow::rebuildSeriesMenu()
{
    QMenu *menu = m_series->menu();
    menu->clear();
    const PlotStore &store = m_channel.plot().store();
    if (store.seriesCount() == 0)
        menu->addAction(tr("No series yet"))->setEnabled(false);
    for (int i = 0; i < store.seriesCount(); ++i) {
        const QByteArray name = store.series(i).name();
        QAction *action = menu->addAction(QString::fromUtf8(name));
        action->setCheckable(true);
        action->setChecked(m_view->isSeriesShown(name));
        connect(action, &QAction::toggled, m_view,
                [this, name](bool shown) { m_view->setSeriesShown(name, shown); });
    }
}

void PlotWindow::exportCsv()
{
    exportPlotCsv(m_channel, this);
}

void exportPlotCsv(const Channel &channel, QWidget *parent)
{
    const QString path = QFileDialog::getSaveFileName(
        parent, PlotWindow::tr("Export Comm Port %1 Plot Data").arg(channel.number()), QString(),
        PlotWindow::tr("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    const QString error = PlotCsv::save(channel.plot().store(), path);
    if (!error.isEmpty())
        showProgramMessage(parent, PlotWindow::tr("The plot data was not exported."), error);
}

void PlotWindow::saveImage()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save Comm Port %1 Plot as Image").arg(m_channel.number()), QString(),
        tr("PNG images (*.png)"));
    if (path.isEmpty())
        return;
    QImage image(m_view->size() * devicePixelRatio(), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio());
    {
        QPainter painter(&image);
        m_view->paintPlot(painter, m_view->size());
    }
    // Written beside and renamed once whole: a name that is no regular file
    // is replaced, never written into.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        showProgramMessage(this, tr("The plot image was not saved."), file.errorString());
}

#include "moc_plot_window.cpp"

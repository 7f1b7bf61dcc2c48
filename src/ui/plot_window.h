#pragma once

#include <QWidget>

class Channel;
class PlotView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

// The plot of one channel in a window of its own (View > Comm Port N >
// Plot): the PlotView, and above it how much it shows (the last 10 s to
// 1 h, or the whole capture), Pause, the series shown, the pattern numbers
// are found by (empty: automatic), Export CSV, Save Image and Clear. Opening
// it turns the channel's plotting on; closing it leaves plotting on.
class PlotWindow : public QWidget
{
    Q_OBJECT

public:
    PlotWindow(Channel &channel, QWidget *parent);

    PlotView *view() const { return m_view; }
    // The commands, also File > Export Plot Data as CSV.
    void exportCsv();
    void saveImage();

private:
    void showFollow();
    void applyPattern();
    void rebuildSeriesMenu();

    Channel &m_channel;
    PlotView *m_view;
    QComboBox *m_follow;
    QCheckBox *m_pause;
    QToolButton *m_series;
    QLineEdit *m_pattern;
    QLabel *m_patternError;
};

// Asks for a file and writes the channel's plot data to it as CSV (the
// window's Export CSV, File > Export Plot Data as CSV).
void exportPlotCsv(const Channel &channel, QWidget *parent);

#pragma once

#include "core/monitor/monitor_pane.h"

#include <QWidget>

class CapturePane;
class CaptureSession;
class QCheckBox;
class QComboBox;

// The monitor view in a window of its own (View > Monitor): the received
// data of the channels ticked above it, in arrival order, in one pane
// (MonitorPane). The pane finds (Ctrl+F), copies and saves (Save Pane As in
// its context menu) like a channel's pane; its format and its line times
// are chosen here, apart from the channels'. It takes every channel of the
// session from when it is made, shown or not, until the program ends.
class MonitorWindow : public QWidget
{
    Q_OBJECT

public:
    MonitorWindow(CaptureSession &session, QWidget *parent);

    MonitorPane &monitor() { return m_monitor; }
    CapturePane *pane() const { return m_pane; }
    QComboBox *formatChoice() const { return m_format; }
    // Writes the pane's text (with the line times when they are shown and
    // asked for in copies) to `path`; says so and returns false on failure.
    bool savePane(const QString &path);

private:
    QWidget *buildChoices(CaptureSession &session);
    void applyFormat();
    void applyTimes();
    void askToSave();

    MonitorPane m_monitor;
    CapturePane *m_pane;
    QComboBox *m_format = nullptr;
    QComboBox *m_times = nullptr;
    QCheckBox *m_timesInCopies = nullptr;
};

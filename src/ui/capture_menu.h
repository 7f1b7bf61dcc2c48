#pragma once

#include "devices/recordings.h"
#include "ui/capture_file_dialogs.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <utility>
#include <vector>

class CaptureSession;
class ChannelView;
class QAction;
class QMenu;
class QWidget;

// The Capture menu: recording each channel, or both into one log, to a file
// and stopping it; saving a pane's text; publishing to an MQTT broker. Each Record command is
// checked while its recording runs and stops it when chosen again. The menu lives as long as the
// main window and lists each channel view's record and save entries while the view is there; the
// recordings live in the session.
class CaptureMenu : public QObject
{
    Q_OBJECT

public:
    CaptureMenu(CaptureSession &session, QWidget *window);
    ~CaptureMenu() override;

    QMenu *menu() const { return m_menu; }
    // Lists the view's record and save entries, in channel order.
    void list(ChannelView &view);
    // Tests answer the questions in place of the modal dialogs.
    void setDialogs(std::unique_ptr<CaptureFileDialogs> dialogs) { m_dialogs = std::move(dialogs); }

    // The commands.
    void record(RecordSource source);
    void stopAll();
    void savePane(int channel);
    // Publish to MQTT...: asks how, and starts, changes or stops publishing.
    void choosePublishing();

private:
    void watchRecordEntry(RecordSource source, QAction *action);
    void showRecordings();
    void reportFailure(const QString &path, const QString &reason);

    CaptureSession &m_session;
    QWidget *m_window;
    QMenu *m_menu;
    std::vector<std::pair<RecordSource, QPointer<QAction>>> m_record;
    QAction *m_recordBoth = nullptr; // the channels' record entries stand before it
    QAction *m_stopAll = nullptr;
    QAction *m_afterSaves = nullptr; // the channels' save entries stand before it
    std::unique_ptr<CaptureFileDialogs> m_dialogs;
};

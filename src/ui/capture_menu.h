#pragma once

#include "devices/recordings.h"
#include "ui/capture_file_dialogs.h"

#include <QObject>

#include <memory>
#include <utility>
#include <vector>

class CaptureSession;
class QAction;
class QMenu;
class QWidget;

// The Capture menu: recording each channel, or both into one log, to a file
// and stopping it; saving a pane's text; publishing to an MQTT broker. Each Record command is
// checked while its recording runs and stops it when chosen again. The menu lives as long as the
// main window; the recordings live in the session.
class CaptureMenu : public QObject
{
    Q_OBJECT

public:
    CaptureMenu(CaptureSession &session, QWidget *window);
    ~CaptureMenu() override;

    QMenu *menu() const { return m_menu; }
    // Tests answer the questions in place of the modal dialogs.
    void setDialogs(std::unique_ptr<CaptureFileDialogs> dialogs) { m_dialogs = std::move(dialogs); }

    // The commands.
    void record(RecordSource source);
    void stopAll();
    void savePane(int channel);
    // Publish to MQTT...: asks how, and starts, changes or stops publishing.
    void choosePublishing();

private:
    void addRecordEntry(RecordSource source, const QString &name, const QString &caption);
    void showRecordings();
    void reportFailure(const QString &path, const QString &reason);

    CaptureSession &m_session;
    QWidget *m_window;
    QMenu *m_menu;
    std::vector<std::pair<RecordSource, QAction *>> m_record;
    QAction *m_stopAll = nullptr;
    std::unique_ptr<CaptureFileDialogs> m_dialogs;
};

#pragma once

#include <QWidget>

class CaptureSession;
class QAction;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;

// A combo box whose list is always shown under its text field. Choosing a
// list entry sets the text; the text may also be typed freely.
class SimpleComboBox : public QWidget
{
public:
    explicit SimpleComboBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    void addItems(const QStringList &items);

    QLineEdit *lineEdit() const { return m_edit; }
    QListWidget *listWidget() const { return m_list; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectMatchingItem();
    void stepSelection(int step);

    QLineEdit *m_edit;
    QListWidget *m_list;
    bool m_syncing = false;
};

// Setup > Serial: speed, parity, data bits and stop bits as
// "speed,parity,data,stop", applied to the channel chosen under "Applies to":
// all of them (the first entry, the shared settings) or one "Comm Port N".
// The boxes load the chosen entry's string. Apply and File > Close store the
// four texts as they stand (a field that can't form the string is refused)
// and close. For all channels the session's shared settings are set and
// applied() follows; for one channel it gets them as its own
// (CaptureSession::setChannelSettings), an open port takes them at once
// (Channel::changeSettings) and nothing else changes. Cancel and the close
// box change nothing. Each opening is a new instance.
class SerialSetupDialog : public QWidget
{
    Q_OBJECT

public:
    explicit SerialSetupDialog(CaptureSession &session, QWidget *parent = nullptr);

    QString baudText() const;
    QString parityText() const;
    QString dataText() const;
    QString stopsText() const;

    // The channel number chosen under "Applies to"; 0 for all channels.
    int appliesTo() const;

signals:
    // The shared settings were stored; the main window reloads on it.
    void applied();
    // File > Exit: the program is to end at once.
    void exitRequested();

private:
    void load();
    void applyToChannel(int number, const QString &settings);
    void cmdCloseClick();
    void cmdCancelClick();

    CaptureSession &m_session;

    QMenuBar *menuBar = nullptr;
    QMenu *mnuFile = nullptr;
    QAction *mnuFileClose = nullptr;
    QAction *mnuFileExit = nullptr;
    QGroupBox *fraBaudSel = nullptr;
    SimpleComboBox *cboBaudSel = nullptr;
    QGroupBox *fraLength = nullptr;
    QComboBox *cboData = nullptr;
    QGroupBox *fraStops = nullptr;
    QComboBox *cboStops = nullptr;
    QGroupBox *fraParity = nullptr;
    QComboBox *cboParity = nullptr;
    QGroupBox *fraAppliesTo = nullptr;
    QComboBox *cboAppliesTo = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *cmdCancel = nullptr;
};

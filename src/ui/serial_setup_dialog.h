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

// Setup > Serial: speed, parity, data bits and stop bits, shared by both
// channels as "speed,parity,data,stop". The boxes load from the stored string
// when the window is created. Apply and File > Close store the four texts as
// they stand (nothing is checked), emit applied() and close; Cancel and the
// close box change nothing. Each opening is a new instance.
class SerialSetupDialog : public QWidget
{
    Q_OBJECT

public:
    explicit SerialSetupDialog(CaptureSession &session, QWidget *parent = nullptr);

    QString baudText() const;
    QString parityText() const;
    QString dataText() const;
    QString stopsText() const;

signals:
    // The settings string was stored; the main window reloads on it.
    void applied();
    // File > Exit: the program is to end at once.
    void exitRequested();

private:
    void load();
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
    QPushButton *cmdClose = nullptr;
    QPushButton *cmdCancel = nullptr;
};

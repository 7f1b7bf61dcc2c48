#pragma once

#include "core/pane_search.h"

#include <QDialog>
#include <QPointer>

class CapturePane;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A receive pane's find box: modeless, so data goes on arriving and the pane
// stays usable while it is open. Next and Previous select the match and
// scroll it into view, and go round the pane's ends. One box per pane,
// made at the pane's first Ctrl+F.
class PaneFindBox : public QDialog
{
    Q_OBJECT

public:
    PaneFindBox(CapturePane *pane, const QString &paneName);

    // Lets Ctrl+F and the context menu's Find open the pane's box.
    static void attach(CapturePane *pane, const QString &paneName);
    // The pane's box, when it has one.
    static PaneFindBox *of(const CapturePane *pane);

    // Shows the box with the pane's selection (a short one) as the text.
    void open();
    void findNext();
    void findPrevious();

    QLineEdit *field() const { return m_field; }
    QCheckBox *matchCase() const { return m_matchCase; }
    QLabel *status() const { return m_status; }

private:
    void find(bool forward);

    QPointer<CapturePane> m_pane;
    QLineEdit *m_field = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_previous = nullptr;
    QLabel *m_status = nullptr;
};

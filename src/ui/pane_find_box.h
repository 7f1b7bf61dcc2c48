#pragma once

#include "core/pane/pane_search.h"

#include <QDialog>
#include <QPointer>

class CapturePane;
class PaneSearchTask;
class PaneText;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// A receive pane's find box: modeless, so data goes on arriving and the pane
// stays usable while it is open. Next and Previous select the match and
// scroll it into view, and go round the pane's ends. One box per pane,
// made at the pane's first Ctrl+F.
//
// The search runs on a thread of its own (PaneSearchTask) over the text the
// pane held when it started, so the window never waits for it. Past 100 ms
// the box says how far it got; while it runs, Escape and the Close button
// (then called Cancel) stop it, closing the box stops it, and a new Next or
// Previous replaces it.
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
    void open() override;
    void findNext();
    void findPrevious();
    // Stops the search under way, if any.
    void cancelSearch();
    bool isSearching() const;

    QLineEdit *field() const { return m_field; }
    QCheckBox *matchCase() const { return m_matchCase; }
    QLabel *status() const { return m_status; }

protected:
    void reject() override;
    void hideEvent(QHideEvent *event) override;

private:
    void find(bool forward);
    void showFound(const PaneSearch::Match &match);
    void showProgress();
    void endSearching();

    QPointer<CapturePane> m_pane;
    PaneSearchTask *m_task = nullptr;
    QTimer *m_progress = nullptr;
    // The text being searched and the direction, for the result.
    QPointer<PaneText> m_searched;
    bool m_forward = true;
    QLineEdit *m_field = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_close = nullptr;
    QLabel *m_status = nullptr;
};

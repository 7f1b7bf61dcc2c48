#include "ui/pane_find_box.h"

#include "core/pane/pane_search_task.h"
#include "core/pane/pane_text.h"
#include "ui/capture_pane.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const char boxProperty[] = "varnokFindBox";

// A selection this short becomes the text to find; a longer one is data,
// not a word.
constexpr qsizetype selectionTaken = 200;

// A search that takes longer than this says how far it got, this often.
constexpr int progressAfterMs = 100;

} // namespace

PaneFindBox::PaneFindBox(CapturePane *pane, const QString &paneName)
    : QDialog(pane->window())
    , m_pane(pane)
{
    setObjectName(QStringLiteral("findBox"));
    setWindowTitle(tr("Find in %1").arg(paneName));
    setModal(false);
    auto *grid = new QGridLayout(this);
    auto *label = new QLabel(tr("Fi&nd:"), this);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("findText"));
    m_field->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    label->setBuddy(m_field);
    m_matchCase = new QCheckBox(tr("Match &case"), this);
    m_matchCase->setObjectName(QStringLiteral("findMatchCase"));
    m_next = new QPushButton(tr("&Next"), this);
    m_next->setObjectName(QStringLiteral("findNext"));
    m_next->setDefault(true);
    m_previous = new QPushButton(tr("&Previous"), this);
    m_previous->setObjectName(QStringLiteral("findPrevious"));
    m_close = new QPushButton(tr("Close"), this);
    m_close->setObjectName(QStringLiteral("findClose"));
    m_task = new PaneSearchTask(this);
    m_progress = new QTimer(this);
    m_progress->setInterval(progressAfterMs);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("findStatus"));
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_field, 0, 1);
    grid->addWidget(m_next, 0, 2);
    grid->addWidget(m_matchCase, 1, 1);
    grid->addWidget(m_previous, 1, 2);
    grid->addWidget(m_status, 2, 0, 1, 2);
    grid->addWidget(m_close, 2, 2);
    connect(m_next, &QPushButton::clicked, this, &PaneFindBox::findNext);
    connect(m_previous, &QPushButton::clicked, this, &PaneFindBox::findPrevious);
    connect(m_close, &QPushButton::clicked, this, [this] {
        if (isSearching())
            cancelSearch();
        else
            close();
    });
    connect(m_task, &PaneSearchTask::finished, this, &PaneFindBox::showFound);
    connect(m_task, &PaneSearchTask::dropped, this, [this] {
        endSearching();
        m_status->clear();
    });
    connect(m_progress, &QTimer::timeout, this, &PaneFindBox::showProgress);
    connect(m_field, &QLineEdit::textChanged, m_status, &QLabel::clear);
    // F3 and Shift+F3 as in editors.
    for (const auto &[keys, slot] :
         {std::pair{QKeySequence::FindNext, &PaneFindBox::findNext},
          std::pair{QKeySequence::FindPrevious, &PaneFindBox::findPrevious}}) {
        auto *shortcut = new QAction(this);
        shortcut->setShortcut(keys);
        connect(shortcut, &QAction::triggered, this, slot);
        addAction(shortcut);
    }
}

void PaneFindBox::attach(CapturePane *pane, const QString &paneName)
{
    connect(pane, &CapturePane::findRequested, pane, [pane, paneName] {
        PaneFindBox *box = of(pane);
        if (!box) {
            box = new PaneFindBox(pane, paneName);
            pane->setProperty(boxProperty, QVariant::fromValue<QObject *>(box));
            // The box goes with the pane's window controls.
            connect(pane, &QObject::destroyed, box, &QObject::deleteLater);
        }
        box->open();
    });
}

PaneFindBox *PaneFindBox::of(const CapturePane *pane)
{
    return qobject_cast<PaneFindBox *>(pane->property(boxProperty).value<QObject *>());
}

void PaneFindBox::open()
{
    if (m_pane && m_pane->hasSelection() &&
        m_pane->selectionEnd() - m_pane->selectionStart() <= selectionTaken)
        m_field->setText(QString::fromLatin1(m_pane->selectedBytes()));
    show();
    raise();
    activateWindow();
    m_field->setFocus();
    m_field->selectAll();
}

void PaneFindBox::findNext()
{
    find(true);
}

void PaneFindBox::findPrevious()
{
    find(false);
}

bool PaneFindBox::isSearching() const
{
    return m_task->isRunning();
}

void PaneFindBox::cancelSearch()
{
    if (!isSearching())
        return;
    m_task->cancel();
    endSearching();
    m_status->setText(tr("Search stopped"));
}

void PaneFindBox::reject()
{
    // Escape stops a search first; the next one closes the box.
    if (isSearching())
        cancelSearch();
    else
        QDialog::reject();
}

void PaneFindBox::hideEvent(QHideEvent *event)
{
    cancelSearch();
    QDialog::hideEvent(event);
}

void PaneFindBox::find(bool forward)
{
    if (!m_pane || !m_pane->model())
        return;
    const PaneSearch search(m_field->text(), m_matchCase->isChecked());
    if (!search.isValid()) {
        m_task->cancel();
        endSearching();
        m_status->setText(m_field->text().isEmpty() ? QString() : tr("Not found"));
        return;
    }
    // From the selection, so each step moves on to the next match.
    m_searched = m_pane->model();
    m_forward = forward;
    const qsizetype from =
        forward ? (m_pane->hasSelection() ? m_pane->selectionEnd() : m_pane->cursorPosition())
                : m_pane->selectionStart();
    m_task->start(*m_searched, search, forward, from);
    m_status->clear();
    m_close->setText(tr("Cancel"));
    m_progress->start();
}

void PaneFindBox::showProgress()
{
    m_status->setText(tr("Searching\u2026 %1%").arg(m_task->percentDone()));
}

void PaneFindBox::endSearching()
{
    m_progress->stop();
    m_close->setText(tr("Close"));
}

void PaneFindBox::showFound(const PaneSearch::Match &match)
{
    endSearching();
    // The pane may have been given other text meanwhile.
    if (!m_pane || !m_searched || m_pane->model() != m_searched) {
        m_status->clear();
        return;
    }
    if (!match.found()) {
        m_status->setText(tr("Not found"));
        return;
    }
    m_pane->flushPendingUpdate();
    m_pane->setSelection(match.start, match.end());
    // A match over several rows shows its start when it can't show whole.
    m_pane->scrollToPosition(match.end());
    m_pane->scrollToPosition(match.start);
    m_status->setText(
        match.wrapped ? (m_forward ? tr("Went round to the start") : tr("Went round to the end"))
                      : QString());
}

#include "moc_pane_find_box.cpp"

#include "ui/keyboard_shortcuts_dialog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// "Save Setup &As..." reads "Save Setup As..."; "&&" stays one "&".
QString shownCaption(const QString &caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        shown += caption.at(i);
    }
    return shown;
}

void collect(const QList<QAction *> &actions, const QString &path, QList<ShortcutRow> &rows)
{
    for (const QAction *action : actions) {
        if (action->isSeparator())
            continue;
        const QString command = path.isEmpty()
                                    ? shownCaption(action->text())
                                    : path + QStringLiteral(" > ") + shownCaption(action->text());
        if (QMenu *sub = action->menu()) {
            collect(sub->actions(), command, rows);
            continue;
        }
        QStringList keys;
        for (const QKeySequence &sequence : action->shortcuts())
            keys << sequence.toString(QKeySequence::NativeText);
        if (!keys.isEmpty())
            rows.append({command, keys.join(QStringLiteral(", "))});
    }
}

} // namespace

QList<ShortcutRow> shortcutRows(const QMenuBar *menuBar)
{
    return shortcutRows(QString(), menuBar->actions());
}

QList<ShortcutRow> shortcutRows(const QString &place, const QList<QAction *> &actions)
{
    QList<ShortcutRow> rows;
    collect(actions, place, rows);
    return rows;
}

KeyboardShortcutsDialog::KeyboardShortcutsDialog(const QList<ShortcutRow> &rows, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgShortcuts"));
    setWindowTitle(tr("Keyboard Shortcuts"));
    auto *table = new QTableWidget(int(rows.size()), 2, this);
    table->setObjectName(QStringLiteral("tblShortcuts"));
    table->setHorizontalHeaderLabels({tr("Command"), tr("Keys")});
    table->setAccessibleName(tr("Keyboard shortcuts"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    for (int row = 0; row < rows.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(rows.at(row).command));
        table->setItem(row, 1, new QTableWidgetItem(rows.at(row).keys));
    }
    // Measured again once shown, in the dialog's own font.
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table);
    layout->addWidget(buttons);
    // As wide as the longest command; as tall as the rows, up to the screen.
    table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
}

#include "moc_keyboard_shortcuts_dialog.cpp"

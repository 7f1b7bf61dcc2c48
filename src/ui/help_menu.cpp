#include "ui/help_menu.h"

#include "core/shown_text.h"
#include "ui/capture_pane.h"
#include "ui/keyboard_shortcuts_dialog.h"
#include "ui/manual_window.h"
#include "ui/program_message.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <memory>

namespace {

const char manualName[] = "manual.md";

} // namespace

QStringList manualCandidates(const QString &programDir)
{
    const QDir dir(programDir);
    return {QDir::cleanPath(dir.filePath(QStringLiteral("../share/varnokterm/manual/")) +
                            QLatin1Char('/') + QLatin1String(manualName)),
            QStringLiteral("/usr/share/varnokterm/manual/") + QLatin1String(manualName),
            QStringLiteral(VARNOK_SOURCE_DOCS_DIR "/") + QLatin1String(manualName)};
}

QString findManual(const QStringList &candidates)
{
    for (const QString &path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

HelpMenu::HelpMenu(QWidget *window, QMenu *menu)
    : QObject(window)
    , m_window(window)
{
    QAction *manual = menu->addAction(tr("&User Manual"), this, &HelpMenu::openManual);
    manual->setObjectName(QStringLiteral("mnuHelpManual"));
    manual->setShortcut(QKeySequence::HelpContents);
    QAction *keys = menu->addAction(tr("&Keyboard Shortcuts"), this, &HelpMenu::showShortcuts);
    keys->setObjectName(QStringLiteral("mnuHelpShortcuts"));
    menu->addSeparator();
    m_about = menu->addAction(tr("&About"));
    m_about->setObjectName(QStringLiteral("mnuHelpAbout"));
}

void HelpMenu::openManual()
{
    const QStringList candidates = manualCandidates(QCoreApplication::applicationDirPath());
    const QString manual = findManual(candidates);
    if (manual.isEmpty()) {
        showProgramMessage(m_window, tr("The user manual is not installed."),
                           tr("It was looked for as:\n%1").arg(candidates.join(QLatin1Char('\n'))));
        return;
    }
    if (!m_manual) {
        m_manual = new ManualWindow(manual, m_window);
        m_manual->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_manual->show();
    m_manual->raise();
    m_manual->activateWindow();
}

void HelpMenu::showShortcuts()
{
    auto *window = qobject_cast<QMainWindow *>(m_window);
    if (!window)
        return;
    // Built afresh each time: it shows the shortcuts the actions carry now.
    QList<ShortcutRow> rows = shortcutRows(window->menuBar());
    // The receive panes' own keys, read from the menu a pane offers.
    if (auto *pane = window->findChild<CapturePane *>()) {
        const std::unique_ptr<QMenu> paneMenu(pane->createContextMenu());
        rows += shortcutRows(tr("Receive pane"), paneMenu->actions());
    }
    auto *dialog = new KeyboardShortcutsDialog(rows, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

#include "moc_help_menu.cpp"

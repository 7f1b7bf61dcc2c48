#pragma once

#include <QString>

class QMessageBox;
class QWidget;

// The program's one kind of message: its title as caption, the text, an OK
// button only and no icon. Both texts are shown as plain text, never as
// markup (a caller escapes what it took from outside with shownText). The box is window-modal but
// does not block the caller; it deletes itself when dismissed.
QMessageBox *showProgramMessage(QWidget *parent, const QString &text,
                                const QString &informativeText = {});

// `text` as a tool tip shows it: as it is, never read as markup.
QString plainToolTip(const QString &text);

// The caption every message carries.
QString programTitle();

// How wide a message box is at least, so its title bar shows the caption.
int programMessageMinimumWidth();

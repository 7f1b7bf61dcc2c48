#include "core/pane_text_file.h"

#include "core/pane_text.h"

#include <QSaveFile>

QString savePaneText(const PaneText &pane, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(pane.text()) != pane.size() || !file.commit())
        return file.errorString();
    return {};
}

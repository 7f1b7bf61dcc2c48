#include "core/pane/pane_text_file.h"

#include "core/pane/pane_text.h"

#include <QSaveFile>

QString savePaneText(const PaneText &pane, const QString &path, LineTimeForm times)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const bool written = times == LineTimeForm::Off
                             ? pane.writeTo(file, 0, pane.size())
                             : LineTimeText::writeTo(pane, file, 0, pane.size(), times);
    if (!written || !file.commit())
        return file.errorString();
    return {};
}

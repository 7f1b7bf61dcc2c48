#include "ui/pane_font.h"

#include <QFontDatabase>
#include <QFontInfo>

QFont paneFont()
{
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(system).fixedPitch())
        return system;
    // Liberation Mono comes with the package's font dependency.
    for (const char *family : {"Liberation Mono", "DejaVu Sans Mono"}) {
        QFont font(QString::fromLatin1(family), system.pointSize());
        font.setStyleHint(QFont::TypeWriter);
        if (QFontInfo(font).fixedPitch())
            return font;
    }
    return system;
}

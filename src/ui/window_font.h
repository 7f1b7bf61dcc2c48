#pragma once

#include <QFont>

// The windows' default font: a narrow sans-serif face at 8 points, the size
// their layouts are designed for (Arial's widths; Liberation Sans on Linux).
inline QFont windowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

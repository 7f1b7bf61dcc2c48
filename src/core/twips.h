#pragma once

#include <QRect>
#include <QSize>
#include <QtMath>

// Window layouts are designed in twips: 1/1440 inch, 15 twips per pixel at
// 96 dots per inch.
inline constexpr int twipsPerPixel = 15;

inline int twips(int value)
{
    return qRound(double(value) / twipsPerPixel);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

inline QSize twipsSize(int width, int height)
{
    return QSize(twips(width), twips(height));
}

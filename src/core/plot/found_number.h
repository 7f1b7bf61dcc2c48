#pragma once

#include <QByteArrayView>

// One number found in a line: the series it belongs to, its value and the
// unit written after it (empty when none). The views stay valid until the
// finder's next find() or setPattern().
struct FoundNumber
{
    QByteArrayView name;
    double value = 0;
    QByteArrayView unit;
};

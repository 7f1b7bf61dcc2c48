#pragma once

#include "core/twips.h"

#include <QByteArrayView>
#include <QString>
#include <QWidget>

#include <functional>

// Where a control stands in its container, in twips: left, top, width,
// height. Every window's layout is a table of these.
struct Place
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    QRect pixels() const { return twipsRect(left, top, width, height); }
};

// Makes a control of type W on `parent`, named and at its designed place:
// the one way every window builds its controls.
template <typename W> W *placeControl(QWidget *parent, QByteArrayView name, const Place &at)
{
    auto *control = new W(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(at.pixels());
    return control;
}

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The kinds of control every window has, each with its caption.
QGroupBox *placeFrame(QWidget *parent, QByteArrayView name, const QString &caption,
                      const Place &at);
// Labels are centred vertically; `align` sets the horizontal alignment.
QLabel *placeLabel(QWidget *parent, QByteArrayView name, const QString &text, Qt::Alignment align,
                   const Place &at);
QPushButton *placeButton(QWidget *parent, QByteArrayView name, const QString &caption,
                         const Place &at);
// An option button that is member `index` of its group; the members of a
// group share the group's name.
QRadioButton *placeOption(QWidget *parent, QByteArrayView name, int index, const QString &caption,
                          const Place &at);

// An editable list that never changes what the operator typed: no inline
// completion, and leaving it doesn't swap the text for an entry that matches
// in another case ("tcp" stays "tcp").
void keepTypedText(QComboBox *list);

// Escape acts like the window's Cancel (or close box).
void closeOnEscape(QWidget *window, std::function<void()> cancel);

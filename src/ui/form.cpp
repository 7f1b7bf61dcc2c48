#include "ui/form.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

QGroupBox *placeFrame(QWidget *parent, QByteArrayView name, const QString &caption, const Place &at)
{
    auto *frame = placeControl<QGroupBox>(parent, name, at);
    frame->setTitle(caption);
    return frame;
}

QLabel *placeLabel(QWidget *parent, QByteArrayView name, const QString &text, Qt::Alignment align,
                   const Place &at)
{
    auto *label = placeControl<QLabel>(parent, name, at);
    label->setText(text);
    label->setAlignment(align | Qt::AlignVCenter);
    return label;
}

QPushButton *placeButton(QWidget *parent, QByteArrayView name, const QString &caption,
                         const Place &at)
{
    auto *button = placeControl<QPushButton>(parent, name, at);
    button->setText(caption);
    return button;
}

QRadioButton *placeOption(QWidget *parent, QByteArrayView name, int index, const QString &caption,
                          const Place &at)
{
    auto *option = placeControl<QRadioButton>(parent, name, at);
    option->setText(caption);
    option->setProperty("index", index);
    return option;
}

#include "ui/form.h"

#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

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

void keepTypedText(QComboBox *list)
{
    // A case-sensitive completer without entries: the list then matches only
    // the exact text when it is left, and completes nothing while typing.
    auto *completer = new QCompleter(list);
    completer->setCaseSensitivity(Qt::CaseSensitive);
    list->setCompleter(completer);
}

void closeOnEscape(QWidget *window, std::function<void()> cancel)
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, std::move(cancel));
}

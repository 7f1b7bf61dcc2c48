#include "ui/send_button_bar.h"

#include "devices/channel.h"
#include "ui/program_message.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolButton>

namespace {

constexpr int refusedMessageMs = 6000;

} // namespace

SendButtonBar::SendButtonBar(Channel &channel, QWidget *parent)
    : QToolBar(tr("Comm Port %1 Send Buttons").arg(channel.number()), parent)
    , m_channel(channel)
{
    static_assert(std::tuple_size_v<decltype(m_buttons)> == SendButton::perChannel);
    setObjectName(QStringLiteral("barSend%1").arg(channel.number()));
    setMovable(false);
    setFloatable(false);
    addWidget(new QLabel(tr("Comm Port %1:").arg(channel.number()), this));
    for (int i = 0; i < SendButton::perChannel; ++i) {
        auto *push = new QToolButton(this);
        push->setObjectName(QStringLiteral("cmdSend%1_%2").arg(channel.number()).arg(i + 1));
        push->setToolButtonStyle(Qt::ToolButtonTextOnly);
        connect(push, &QToolButton::clicked, this, [this, i] { press(i); });
        m_buttons.at(size_t(i)) = push;
        addWidget(push);
    }
    SendButtons &buttons = channel.sendButtons();
    connect(&buttons, &SendButtons::definitionsChanged, this, &SendButtonBar::showDefinitions);
    connect(&buttons, &SendButtons::repeatingChanged, this,
            [this](int index, bool repeating) { button(index)->setChecked(repeating); });
    connect(&buttons, &SendButtons::refused, this, &SendButtonBar::showRefused);
    showDefinitions();
}

void SendButtonBar::showDefinitions()
{
    const SendButtons &buttons = m_channel.sendButtons();
    for (int i = 0; i < SendButton::perChannel; ++i) {
        const SendButton &defined = buttons.button(i);
        QToolButton *push = button(i);
        push->setText(tr("%1 (F%2)").arg(defined.name).arg(i + 1));
        push->setCheckable(defined.repeatMs > 0);
        push->setChecked(buttons.isRepeating(i));
        push->setToolTip(plainToolTip(defined.repeatMs > 0
                                          ? tr("Sends %1 every %2 ms until pressed again")
                                                .arg(defined.text)
                                                .arg(defined.repeatMs)
                                          : tr("Sends %1").arg(defined.text)));
        // A tool bar hides a widget through its action.
        actions().at(i + 1)->setVisible(defined.isDefined());
    }
    setVisible(buttons.anyDefined());
}

void SendButtonBar::press(int index)
{
    m_channel.sendButtons().press(index);
    // A checkable button toggles on a click; it shows the repeat as it is.
    button(index)->setChecked(m_channel.sendButtons().isRepeating(index));
}

void SendButtonBar::showRefused(const QString &text)
{
    if (auto *window = qobject_cast<QMainWindow *>(this->window()))
        window->statusBar()->showMessage(text, refusedMessageMs);
}

void SendButtonBar::watchKeys(QWidget *field)
{
    field->installEventFilter(this);
}

int SendButtonBar::definedButtonOfKey(const QEvent *event) const
{
    const auto *key = static_cast<const QKeyEvent *>(event);
    const int index = key->key() - Qt::Key_F1;
    if (key->modifiers() != Qt::NoModifier || index < 0 || index >= SendButton::perChannel ||
        !m_channel.sendButtons().button(index).isDefined())
        return -1;
    return index;
}

bool SendButtonBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && definedButtonOfKey(event) >= 0) {
        event->accept(); // the key comes to the field, not to a shortcut
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const int index = definedButtonOfKey(event);
        if (index >= 0) {
            press(index);
            return true;
        }
    }
    return QToolBar::eventFilter(watched, event);
}

#include "moc_send_button_bar.cpp"

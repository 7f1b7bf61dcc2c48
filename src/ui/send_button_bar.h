#pragma once

#include <QToolBar>

#include <array>

class Channel;
class QToolButton;
class QWidget;

// A channel's row of send buttons under the channel groups, hidden while
// the channel has none. Each defined button shows its name and F-key; one
// that repeats is checkable and stays down while it resends. The row also
// answers F1-F12 in the channel's transmit field (watchKeys()): such a key
// is taken only when its button is defined, so elsewhere, and for an
// undefined button, the key keeps its usual meaning. Why a press sent
// nothing goes to the window's status line.
class SendButtonBar : public QToolBar
{
    Q_OBJECT

public:
    SendButtonBar(Channel &channel, QWidget *parent = nullptr);

    // Watches `field` (the channel's transmit field) for F1-F12.
    void watchKeys(QWidget *field);
    QToolButton *button(int index) const { return m_buttons.at(size_t(index)); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showDefinitions();
    void press(int index);
    void showRefused(const QString &text);
    // The send button an F-key event stands for, or -1.
    int definedButtonOfKey(const QEvent *event) const;

    Channel &m_channel;
    std::array<QToolButton *, 12> m_buttons{};
};

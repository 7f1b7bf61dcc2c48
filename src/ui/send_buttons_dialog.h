#pragma once

#include <QDialog>

class Channel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// Defines a channel's send buttons, one at a time: choose the button (F1 to
// F12), give it a name, the text it sends (escapes such as \r, \n, \xHH, or
// hex pairs), and optionally a repeat time. Save keeps it if its text reads;
// otherwise the dialog says where the text goes wrong and keeps nothing.
// Remove takes the button away.
class SendButtonsDialog : public QDialog
{
    Q_OBJECT

public:
    SendButtonsDialog(Channel &channel, QWidget *parent = nullptr);

private:
    void showButton(int index);
    void save();
    void remove();

    Channel &m_channel;
    QComboBox *m_which;
    QLineEdit *m_name;
    QLineEdit *m_text;
    QCheckBox *m_hexPairs;
    QSpinBox *m_repeatMs;
    QLabel *m_message;
};

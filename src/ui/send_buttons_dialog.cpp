#include "ui/send_buttons_dialog.h"

#include "devices/channel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

SendButtonsDialog::SendButtonsDialog(Channel &channel, QWidget *parent)
    : QDialog(parent)
    , m_channel(channel)
    , m_which(new QComboBox(this))
    , m_name(new QLineEdit(this))
    , m_text(new QLineEdit(this))
    , m_hexPairs(new QCheckBox(tr("He&x pairs (41 42 0D)"), this))
    , m_repeatMs(new QSpinBox(this))
    , m_message(new QLabel(this))
{
    setObjectName(QStringLiteral("dlgSendButtons%1").arg(channel.number()));
    setWindowTitle(tr("Comm Port %1 Send Buttons").arg(channel.number()));
    setAttribute(Qt::WA_DeleteOnClose);
    for (int i = 0; i < SendButton::perChannel; ++i)
        m_which->addItem(tr("F%1").arg(i + 1));
    m_text->setPlaceholderText(tr(R"(Text, with \r \n \t \\ \xHH)"));
    // One character past the limit: a longer paste is refused by Save, never
    // cut to a length that would pass.
    m_text->setMaxLength(SendButton::longestText + 1);
    m_repeatMs->setRange(0, SendButton::longestRepeatMs);
    m_repeatMs->setSuffix(tr(" ms"));
    m_repeatMs->setSpecialValueText(tr("Send once"));
    m_repeatMs->setSingleStep(100);
    m_message->setTextFormat(Qt::PlainText); // it may quote the text typed
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *form = new QFormLayout;
    form->addRow(tr("&Button:"), m_which);
    form->addRow(tr("&Name:"), m_name);
    form->addRow(tr("Sen&ds:"), m_text);
    form->addRow(QString(), m_hexPairs);
    form->addRow(tr("Repeat e&very:"), m_repeatMs);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, this);
    QPushButton *removeButton = buttons->addButton(tr("&Remove"), QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_message);
    layout->addWidget(buttons);

    connect(m_which, &QComboBox::currentIndexChanged, this, &SendButtonsDialog::showButton);
    connect(buttons->button(QDialogButtonBox::Save), &QPushButton::clicked, this,
            &SendButtonsDialog::save);
    connect(removeButton, &QPushButton::clicked, this, &SendButtonsDialog::remove);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    showButton(0);
}

void SendButtonsDialog::showButton(int index)
{
    const SendButton &button = m_channel.sendButtons().button(index);
    m_name->setText(button.name);
    m_text->setText(button.text);
    m_hexPairs->setChecked(button.hexPairs);
    m_repeatMs->setValue(button.repeatMs);
    m_message->clear();
}

void SendButtonsDialog::save()
{
    const QString name = m_name->text().simplified();
    if (name.isEmpty()) {
        m_message->setText(tr("Give the button a name."));
        return;
    }
    const SendButton button{name, m_text->text(), m_hexPairs->isChecked(), m_repeatMs->value()};
    const QString error = m_channel.sendButtons().define(m_which->currentIndex(), button);
    m_message->setText(error.isEmpty() ? tr("Saved as F%1.").arg(m_which->currentIndex() + 1)
                                       : error);
}

void SendButtonsDialog::remove()
{
    m_channel.sendButtons().define(m_which->currentIndex(), SendButton{});
    showButton(m_which->currentIndex());
    m_message->setText(tr("Removed."));
}

#include "moc_send_buttons_dialog.cpp"

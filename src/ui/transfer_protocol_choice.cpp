#include "ui/transfer_protocol_choice.h"

#include "devices/file_transfer.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TransferProtocolChoice::TransferProtocolChoice(const QString &title,
                                               const QList<TransferProtocol> &offered,
                                               QWidget *parent,
                                               std::optional<TransferProtocol> preferred)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("transferProtocolChoice"));
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    m_buttons = new QButtonGroup(this);
    bool missing = false;
    for (const TransferProtocol protocol : offered) {
        auto *button = new QRadioButton(transferProtocolName(protocol), this);
        button->setObjectName(QStringLiteral("protocol") + transferProtocolName(protocol));
        const bool available =
            protocol == TransferProtocol::Raw || FileTransfer::isAvailable(protocol);
        button->setEnabled(available);
        if (!available) {
            button->setToolTip(tr("Needs the package lrzsz, which is not installed."));
            missing = true;
        }
        m_buttons->addButton(button, int(protocol));
        layout->addWidget(button);
    }
    // The preferred one, or the first that can be used: Raw when offered.
    QAbstractButton *first = preferred ? m_buttons->button(int(*preferred)) : nullptr;
    if (first && first->isEnabled())
        first->setChecked(true);
    for (QAbstractButton *button : m_buttons->buttons()) {
        if (m_buttons->checkedButton())
            break;
        if (button->isEnabled()) {
            button->setChecked(true);
            break;
        }
    }
    if (missing) {
        auto *note = new QLabel(
            tr("XMODEM, YMODEM and ZMODEM need the package lrzsz, which is not installed "
               "(sudo apt-get install lrzsz)."),
            this);
        note->setObjectName(QStringLiteral("lrzszMissing"));
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setEnabled(m_buttons->checkedButton() != nullptr);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(box);
}

TransferProtocol TransferProtocolChoice::chosen() const
{
    return TransferProtocol(m_buttons->checkedId());
}

bool TransferProtocolChoice::ask(QWidget *parent, const QString &title,
                                 const QList<TransferProtocol> &offered, TransferProtocol *chosen)
{
    TransferProtocolChoice choice(title, offered, parent, *chosen);
    if (choice.exec() != QDialog::Accepted)
        return false;
    *chosen = choice.chosen();
    return true;
}

#include "moc_transfer_protocol_choice.cpp"

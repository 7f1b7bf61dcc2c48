#include "ui/replay_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

std::optional<ReplayChoice> askReplay(QWidget *parent, const ReplayChoice &last,
                                      const QList<int> &channelNumbers)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgReplay"));
    dialog.setWindowTitle(QDialog::tr("Replay a Recording"));
    auto *path = new QLineEdit(last.request.path, &dialog);
    auto *browse = new QPushButton(QDialog::tr("&Browse..."), &dialog);
    auto *file = new QHBoxLayout;
    file->addWidget(path);
    file->addWidget(browse);
    auto *channel = new QComboBox(&dialog);
    for (int number : channelNumbers)
        channel->addItem(QDialog::tr("Comm Port %1").arg(number), number);
    channel->setCurrentIndex(channel->findData(last.channel));
    auto *into = new QComboBox(&dialog);
    into->addItems({QDialog::tr("Into the receive pane, as if received"),
                    QDialog::tr("Out of the channel, to the device")});
    into->setCurrentIndex(int(last.request.into));
    auto *fastest = new QCheckBox(QDialog::tr("As fast as possible"), &dialog);
    fastest->setChecked(last.request.fastest);
    auto *rate = new QSpinBox(&dialog);
    rate->setRange(1, 100'000'000);
    rate->setSuffix(QDialog::tr(" bytes/s"));
    rate->setValue(int(last.request.rawBytesPerSecond));
    auto *format = new QComboBox(&dialog);
    format->addItems({QDialog::tr("ASCII"), QDialog::tr("Decimal"), QDialog::tr("Hex")});
    format->setCurrentIndex(int(last.request.logFormat));
    auto *lines = new QComboBox(&dialog);
    lines->setObjectName(QStringLiteral("cmbReplayLines"));
    lines->addItem(QDialog::tr("Every channel's"), 0);
    for (int number : channelNumbers)
        lines->addItem(QDialog::tr("Comm Port %1's only").arg(number), number);
    lines->setCurrentIndex(std::max(0, lines->findData(last.request.logChannel)));

    auto *form = new QFormLayout(&dialog);
    form->addRow(QDialog::tr("&Recording (.bin or .log):"), file);
    form->addRow(QDialog::tr("&Channel:"), channel);
    form->addRow(QDialog::tr("&Plays:"), into);
    form->addRow(QString(), fastest);
    form->addRow(QDialog::tr("Raw &rate:"), rate);
    form->addRow(QDialog::tr("Log bytes &written as:"), format);
    form->addRow(QDialog::tr("Log &lines played:"), lines);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, path] {
        const QString chosen =
            QFileDialog::getOpenFileName(&dialog, QDialog::tr("Replay a Recording"), path->text(),
                                         QDialog::tr("Recordings (*.bin *.log);;All files (*)"));
        if (!chosen.isEmpty())
            path->setText(chosen);
    });
    QObject::connect(fastest, &QCheckBox::toggled, rate, &QWidget::setDisabled);
    rate->setDisabled(fastest->isChecked());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    ReplayChoice choice;
    choice.channel = channel->currentData().toInt();
    choice.request.path = path->text();
    choice.request.into = ReplayRequest::Into(into->currentIndex());
    choice.request.fastest = fastest->isChecked();
    choice.request.rawBytesPerSecond = rate->value();
    choice.request.logFormat = ReceiveFormat(format->currentIndex());
    choice.request.logChannel = lines->currentData().toInt();
    return choice;
}

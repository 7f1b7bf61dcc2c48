#include "ui/mqtt_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

// A file's name with a Browse button beside it.
QHBoxLayout *mqttFileRow(QDialog *dialog, QLineEdit *path, const QString &caption)
{
    auto *browse = new QPushButton(QDialog::tr("Browse..."), dialog);
    QObject::connect(browse, &QPushButton::clicked, dialog, [dialog, path, caption] {
        const QString chosen = QFileDialog::getOpenFileName(dialog, caption, path->text());
        if (!chosen.isEmpty())
            path->setText(chosen);
    });
    auto *row = new QHBoxLayout;
    row->addWidget(path);
    row->addWidget(browse);
    return row;
}

} // namespace

std::optional<MqttSettings> askMqttSettings(QWidget *parent, const MqttSettings &last)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgMqtt"));
    dialog.setWindowTitle(QDialog::tr("Publish to MQTT"));
    auto *publish = new QCheckBox(QDialog::tr("&Publish what the channels receive"), &dialog);
    publish->setChecked(last.publish);
    auto *host = new QLineEdit(last.host, &dialog);
    host->setObjectName(QStringLiteral("txtMqttHost"));
    auto *port = new QSpinBox(&dialog);
    port->setRange(1, 65535);
    port->setValue(last.port);
    auto *node = new QLineEdit(last.node, &dialog);
    node->setPlaceholderText(last.nodeName());
    auto *clientId = new QLineEdit(last.clientId, &dialog);
    clientId->setPlaceholderText(last.clientIdUsed());
    auto *username = new QLineEdit(last.username, &dialog);
    auto *passwordFile = new QLineEdit(last.passwordFile, &dialog);
    auto *caFile = new QLineEdit(last.caFile, &dialog);
    auto *certFile = new QLineEdit(last.certFile, &dialog);
    auto *keyFile = new QLineEdit(last.keyFile, &dialog);
    auto *keepAlive = new QSpinBox(&dialog);
    keepAlive->setRange(5, 65535);
    keepAlive->setSuffix(QDialog::tr(" s"));
    keepAlive->setValue(last.keepAliveSeconds);
    auto *qos = new QComboBox(&dialog);
    qos->addItems(
        {QDialog::tr("0: sent once, unconfirmed"), QDialog::tr("1: confirmed by the broker")});
    qos->setCurrentIndex(last.qos);
    auto *form = new QComboBox(&dialog);
    form->addItems({QDialog::tr("A line, as JSON with its time and sequence number"),
                    QDialog::tr("A line's bytes alone"),
                    QDialog::tr("A batch of bytes as received")});
    form->setCurrentIndex(int(last.form));
    auto *queue = new QSpinBox(&dialog);
    queue->setRange(1, 1 << 20);
    queue->setSuffix(QDialog::tr(" MB"));
    queue->setValue(int(last.queueBytes >> 20));
    auto *sendFromBroker =
        new QCheckBox(QDialog::tr("&Send what arrives on the channels' tx topics"), &dialog);
    sendFromBroker->setChecked(last.sendFromBroker);
    sendFromBroker->setToolTip(
        QDialog::tr("Every client that may publish to these topics can then write to the device."));

    auto *publishValues = new QCheckBox(
        QDialog::tr("Publish the numbers in each line on the &values topics"), &dialog);
    publishValues->setChecked(last.publishValues);

    auto *layout = new QFormLayout(&dialog);
    layout->addRow(publish);
    layout->addRow(QDialog::tr("&Broker:"), host);
    layout->addRow(QDialog::tr("P&ort:"), port);
    layout->addRow(QDialog::tr("&Node name:"), node);
    layout->addRow(QDialog::tr("&Client id:"), clientId);
    layout->addRow(QDialog::tr("&User name:"), username);
    layout->addRow(QDialog::tr("Pass&word file:"),
                   mqttFileRow(&dialog, passwordFile, QDialog::tr("Password file")));
    layout->addRow(QDialog::tr("&TLS CA file:"),
                   mqttFileRow(&dialog, caFile, QDialog::tr("TLS CA file")));
    layout->addRow(QDialog::tr("Client c&ertificate:"),
                   mqttFileRow(&dialog, certFile, QDialog::tr("Client certificate")));
    layout->addRow(QDialog::tr("Client ke&y:"),
                   mqttFileRow(&dialog, keyFile, QDialog::tr("Client key")));
    layout->addRow(QDialog::tr("&Keep-alive:"), keepAlive);
    layout->addRow(QDialog::tr("&QoS:"), qos);
    layout->addRow(QDialog::tr("&Message:"), form);
    layout->addRow(QDialog::tr("Q&ueue on disk at most:"), queue);
    layout->addRow(publishValues);
    layout->addRow(sendFromBroker);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    MqttSettings chosen = last;
    chosen.publish = publish->isChecked();
    chosen.host = host->text().trimmed();
    chosen.port = port->value();
    chosen.node = node->text().trimmed();
    chosen.clientId = clientId->text().trimmed();
    chosen.username = username->text().trimmed();
    chosen.passwordFile = passwordFile->text().trimmed();
    chosen.caFile = caFile->text().trimmed();
    chosen.certFile = certFile->text().trimmed();
    chosen.keyFile = keyFile->text().trimmed();
    chosen.publishValues = publishValues->isChecked();
    chosen.keepAliveSeconds = keepAlive->value();
    chosen.qos = qos->currentIndex();
    chosen.form = MqttSettings::Form(form->currentIndex());
    chosen.queueBytes = qint64(queue->value()) << 20;
    chosen.sendFromBroker = sendFromBroker->isChecked();
    return chosen;
}

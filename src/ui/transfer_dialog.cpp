#include "ui/transfer_dialog.h"

#include "core/shown_text.h"
#include "devices/channel.h"
#include "ui/program_message.h"

#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TransferDialog::TransferDialog(Channel &channel, QWidget *parent)
    : QDialog(parent)
    , m_channel(channel)
    , m_transfer(channel)
{
    setObjectName(QStringLiteral("transferDialog%1").arg(channel.number()));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 0); // busy until the size is known
    m_progressText = new QLabel(this);
    m_progressText->setObjectName(QStringLiteral("transferProgress"));
    m_progressText->setTextFormat(Qt::PlainText);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("transferCancel"));
    layout->addWidget(m_bar);
    layout->addWidget(m_progressText);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    setMinimumWidth(fontMetrics().averageCharWidth() * 56);
    connect(m_cancel, &QPushButton::clicked, this, &TransferDialog::reject);
    connect(&m_transfer, &FileTransfer::finished, this, &TransferDialog::onFinished);
    // Progress is shown a few times a second, not at every line the program writes.
    m_refresh.setInterval(250);
    connect(&m_refresh, &QTimer::timeout, this, &TransferDialog::showProgress);
}

TransferDialog::~TransferDialog()
{
    // A transfer still running ends with the dialog, unreported: the dialog
    // is half gone by then.
    disconnect(&m_transfer, nullptr, this, nullptr);
}

bool TransferDialog::startSend(TransferProtocol protocol, const QString &path)
{
    setWindowTitle(tr("Send File to Comm Port %1").arg(m_channel.number()));
    return started(m_transfer.startSend(protocol, path),
                   tr("%1 could not be sent.").arg(shownText(path)));
}

bool TransferDialog::startReceive(TransferProtocol protocol, const QString &folder,
                                  const QString &fileName)
{
    setWindowTitle(tr("Receive File from Comm Port %1").arg(m_channel.number()));
    return started(m_transfer.startReceive(protocol, folder, fileName),
                   tr("Nothing can be received into %1.").arg(shownText(folder)));
}

bool TransferDialog::started(bool ok, const QString &what)
{
    if (!ok) {
        showProgramMessage(parentWidget(), what, m_transfer.error());
        return false;
    }
    if (m_transfer.total() > 0)
        m_bar->setRange(0, 1000);
    showProgress();
    m_refresh.start();
    return true;
}

void TransferDialog::showProgress()
{
    if (m_transfer.total() > 0)
        m_bar->setValue(
            int(std::min(m_transfer.done(), m_transfer.total()) * 1000 / m_transfer.total()));
    m_progressText->setText(shownText(m_transfer.statusText()));
}

void TransferDialog::reject()
{
    if (m_transfer.isRunning())
        m_transfer.cancel(); // onFinished closes the dialog
    else
        QDialog::reject();
}

void TransferDialog::onFinished(FileTransfer::Outcome outcome)
{
    m_refresh.stop();
    showProgress();
    const QString protocol = transferProtocolName(m_transfer.protocol());
    const QString what =
        m_transfer.isSending()
            ? tr("Sending %1 by %2")
                  .arg(shownText(QFileInfo(m_transfer.path()).fileName()), protocol)
            : tr("Receiving by %1").arg(protocol);
    const bool received = !m_transfer.isSending();
    const QStringList moved =
        received && outcome == FileTransfer::Outcome::Done ? moveReceivedFiles() : QStringList();
    const QString staging = shownText(m_transfer.stagingFolder());
    // What an unfinished receive left stays where it came in, never in
    // place of a whole file.
    QStringList lines = m_transfer.error().split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = shownText(line);
    QString detail = lines.join(QLatin1Char('\n'));
    if (received && outcome != FileTransfer::Outcome::Done) {
        if (m_transfer.receivedFiles().isEmpty())
            m_transfer.removeStaging();
        else
            detail += QLatin1Char('\n') + tr("What came in is kept in %1.").arg(staging);
    }
    switch (outcome) {
    case FileTransfer::Outcome::Done:
        if (received)
            showProgramMessage(parentWidget(),
                               tr("Received into %1:").arg(shownText(m_transfer.path())),
                               moved.join(QLatin1Char('\n')));
        break;
    case FileTransfer::Outcome::Cancelled:
        showProgramMessage(parentWidget(), tr("%1 was cancelled.").arg(what), detail.trimmed());
        break;
    case FileTransfer::Outcome::Failed:
        showProgramMessage(parentWidget(), tr("%1 failed.").arg(what), detail);
        break;
    case FileTransfer::Outcome::NoAnswer:
        showProgramMessage(parentWidget(),
                           tr("%1 stopped: the other side does not answer.").arg(what), detail);
        break;
    case FileTransfer::Outcome::ChannelOff:
        showProgramMessage(parentWidget(), tr("%1 stopped.").arg(what), detail);
        break;
    }
    emit ended(outcome);
    QDialog::reject();
}

QStringList TransferDialog::moveReceivedFiles()
{
    const QList<ReceivedFile> files = m_transfer.moveReceivedFiles([this](const QString &name) {
        QMessageBox ask(
            QMessageBox::NoIcon, programTitle(),
            tr("%1 is already in %2.").arg(shownText(name), shownText(m_transfer.path())),
            QMessageBox::NoButton, parentWidget());
        ask.setObjectName(QStringLiteral("replaceQuestion"));
        ask.setTextFormat(Qt::PlainText);
        QPushButton *replace = ask.addButton(tr("Replace"), QMessageBox::DestructiveRole);
        ask.addButton(tr("Keep Both"), QMessageBox::AcceptRole);
        ask.exec();
        return ask.clickedButton() == replace;
    });
    // One line per file, each name escaped so that it stays one line.
    QStringList lines;
    for (const ReceivedFile &file : files) {
        const QString name = shownText(file.name);
        if (file.placedAs == file.name)
            lines << name;
        else if (!file.placedAs.isEmpty())
            lines << tr("%1 as %2").arg(name, shownText(file.placedAs));
        else
            lines << tr("%1 was not moved: %2; it is in %3")
                         .arg(name, file.problem, shownText(m_transfer.stagingFolder()));
    }
    return lines;
}

#include "moc_transfer_dialog.cpp"

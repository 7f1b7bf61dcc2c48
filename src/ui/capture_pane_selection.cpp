// The capture pane's selection and what leaves it: the clipboard, the
// primary selection's text and a file for a selection too large to copy.
#include "ui/capture_pane.h"

#include "core/pane/line_time_text.h"
#include "core/pane/pane_text.h"
#include "core/shown_text.h"
#include "ui/program_message.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QSaveFile>

#include <limits>

namespace {

// A copy this large would need the selection's size in memory three times
// over (the bytes, then the clipboard's UTF-16 text).
qsizetype &clipboardLimitBytes()
{
    static qsizetype limit = qsizetype(256) << 20;
    return limit;
}

} // namespace

QByteArray CapturePane::selectedBytes() const
{
    return m_model ? m_selection.bytes(*m_model) : QByteArray();
}

void CapturePane::selectAll()
{
    showSelectionChange(m_selection.selectAll(textSize()));
}

void CapturePane::setSelection(qsizetype start, qsizetype end)
{
    showSelectionChange(m_selection.set(start, end, textSize()));
}

void CapturePane::clearSelection()
{
    showSelectionChange(m_selection.collapse(textSize()));
}

void CapturePane::showSelectionChange(bool changed)
{
    if (!changed)
        return;
    viewport()->update();
    emit selectionChanged();
    if (QAccessible::isActive() && textSize() <= std::numeric_limits<int>::max()) {
        QAccessibleTextSelectionEvent event(this, int(selectionStart()), int(selectionEnd()));
        event.setCursorPosition(int(cursorPosition()));
        QAccessible::updateAccessibility(&event);
    }
}

void CapturePane::setClipboardLimit(qsizetype bytes)
{
    clipboardLimitBytes() = bytes;
}

qsizetype CapturePane::clipboardLimit()
{
    return clipboardLimitBytes();
}

void CapturePane::copy()
{
    if (!hasSelection())
        return;
    if (m_selection.length() > clipboardLimit()) {
        offerToSaveSelection();
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromLatin1(copiedBytes()));
}

void CapturePane::offerToSaveSelection()
{
    const QString size = QLocale().formattedDataSize(m_selection.length());
    auto *box = new QMessageBox(QMessageBox::NoIcon, programTitle(),
                                tr("The selection holds %1, too much for the clipboard.").arg(size),
                                QMessageBox::Save | QMessageBox::Cancel, this);
    box->setObjectName(QStringLiteral("selectionTooLarge"));
    box->setInformativeText(tr("Save the selection to a file instead?"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::buttonClicked, this, [this, box](QAbstractButton *button) {
        if (box->standardButton(button) != QMessageBox::Save)
            return;
        auto *dialog = new QFileDialog(this, tr("Save Selection"));
        dialog->setObjectName(QStringLiteral("saveSelectionDialog"));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QFileDialog::fileSelected, this, &CapturePane::saveSelection);
        dialog->open();
    });
    box->open();
}

LineTimeForm CapturePane::copiedTimes() const
{
    return m_times.inCopies ? m_times.form : LineTimeForm::Off;
}

QByteArray CapturePane::copiedBytes() const
{
    if (!m_model || copiedTimes() == LineTimeForm::Off)
        return selectedBytes();
    return LineTimeText::copy(*m_model, m_selection.start(), m_selection.length(), copiedTimes());
}

bool CapturePane::saveSelection(const QString &path)
{
    if (!m_model || !hasSelection())
        return false;
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         (copiedTimes() == LineTimeForm::Off
                              ? m_model->writeTo(file, m_selection.start(), m_selection.length())
                              : LineTimeText::writeTo(*m_model, file, m_selection.start(),
                                                      m_selection.length(), copiedTimes()));
    if (written && file.commit())
        return true;
    showProgramMessage(this, tr("The selection could not be saved to %1.").arg(shownText(path)),
                       file.errorString());
    return false;
}

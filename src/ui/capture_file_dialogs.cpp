#include "ui/capture_file_dialogs.h"

#include "core/shown_text.h"
#include "ui/program_message.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace {

// "bin" for "Raw bytes (*.bin)"; nothing for "All files (*)".
QString suffixOf(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    return pattern.match(filter).captured(1);
}

} // namespace

QString withoutSuffixAddedToDevice(const QString &path, const QString &suffix)
{
    const QString added = QLatin1Char('.') + suffix;
    if (suffix.isEmpty() || !path.endsWith(added) || QFileInfo::exists(path))
        return path;
    const QFileInfo typed(path.chopped(added.size()));
    return typed.exists() && !typed.isFile() && !typed.isDir() ? typed.filePath() : path;
}

std::optional<CaptureFileDialogs::Choice>
QtCaptureFileDialogs::chooseFile(QWidget *parent, const QString &caption,
                                 const QStringList &filters, bool confirmOverwrite)
{
    QFileDialog dialog(parent, caption, m_folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    dialog.setDefaultSuffix(suffixOf(filters.value(0)));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString &filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path =
        withoutSuffixAddedToDevice(dialog.selectedFiles().constFirst(), dialog.defaultSuffix());
    m_folder = QFileInfo(path).absolutePath();
    return Choice{path, int(qMax(0, filters.indexOf(dialog.selectedNameFilter())))};
}

CaptureFileDialogs::Existing QtCaptureFileDialogs::askExisting(QWidget *parent, const QString &path)
{
    QMessageBox box(QMessageBox::NoIcon, programTitle(),
                    QObject::tr("%1 already exists.").arg(shownText(QFileInfo(path).fileName())),
                    QMessageBox::NoButton, parent);
    box.setInformativeText(QObject::tr("Add the recording to its end, or replace it?"));
    box.setTextFormat(Qt::PlainText);
    QPushButton *append = box.addButton(QObject::tr("&Append"), QMessageBox::AcceptRole);
    QPushButton *replace = box.addButton(QObject::tr("&Replace"), QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(append);
    box.exec();
    if (box.clickedButton() == append)
        return Existing::Append;
    if (box.clickedButton() == replace)
        return Existing::Replace;
    return Existing::Cancel;
}

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The file dialog adds the chosen filter's suffix to a name typed without
// one; a device or a FIFO named that way ("/dev/full") is meant as typed.
// Returns `path` without the added ".suffix" when only the shorter name
// exists and is neither a regular file nor a folder.
QString withoutSuffixAddedToDevice(const QString &path, const QString &suffix);

// The questions the Capture menu asks: which file, and what to do with one
// that exists. Tests answer them in place of the modal dialogs.
class CaptureFileDialogs
{
public:
    struct Choice
    {
        QString path;
        int filter = 0; // index into the filters offered
    };
    enum class Existing
    {
        Append,
        Replace,
        Cancel
    };

    virtual ~CaptureFileDialogs() = default;
    // A file to save to, from `filters` such as "Raw bytes (*.bin)"; the
    // chosen filter's suffix is added to a name typed without one. Nothing
    // when cancelled. With `confirmOverwrite` the dialog itself asks before
    // an existing file is chosen.
    virtual std::optional<Choice> chooseFile(QWidget *parent, const QString &caption,
                                             const QStringList &filters, bool confirmOverwrite) = 0;
    // The file exists: append to it, replace it, or not record.
    virtual Existing askExisting(QWidget *parent, const QString &path) = 0;
};

// The real, modal dialogs. The folder last chosen is offered next time.
class QtCaptureFileDialogs : public CaptureFileDialogs
{
public:
    std::optional<Choice> chooseFile(QWidget *parent, const QString &caption,
                                     const QStringList &filters, bool confirmOverwrite) override;
    Existing askExisting(QWidget *parent, const QString &path) override;

private:
    QString m_folder;
};

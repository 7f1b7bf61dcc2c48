#pragma once

#include <QDateTime>
#include <QString>
#include <QWidget>

class QLabel;

// The program file the About box dates: "varnokterm.exe" in `dir` when there
// is one, otherwise the running program's own file.
QString programFileForAbout(const QString &dir, const QString &ownFile);

// When the file was created, or where the file system keeps no creation
// time, when it was last written.
QDateTime programFileCreated(const QString &path);

// "Created " and the time in the locale's short date and time format.
QString createdLine(const QDateTime &created);

// The About window: product name, copyright, version and the date of the
// program file. It has no input; its close box closes it.
class AboutBox : public QWidget
{
    Q_OBJECT

public:
    explicit AboutBox(QWidget *parent = nullptr);

private:
    void load();

    QLabel *lblName = nullptr;
    QLabel *lblCoprright = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDate = nullptr;
};

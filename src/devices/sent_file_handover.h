#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QProcess;

// Hands a file to a sending program (sx, sb, sz) so that the program reads
// exactly the file that was checked. The file is opened here through
// NamedFile (a regular file, nothing that could block) and stays open; the
// program inherits that descriptor and is given a name in a private folder
// (mode 0700) that leads to it: <folder>/<file's own name> is a link to
// /proc/self/fd/N. The program still sends the file's own name, and a file
// swapped in at the path after the check is never the one read.
class SentFileHandover
{
    Q_DECLARE_TR_FUNCTIONS(SentFileHandover)

public:
    // Opens and checks `path`. An empty result, or why not.
    QString open(const QString &path);
    // Lets `process` inherit the descriptor (called before it starts).
    void passTo(QProcess &process) const;
    // The name the program is given, and the folder it runs in.
    QString programPath() const;
    QString folder() const;
    qint64 size() const { return m_file.size(); }
    // Closes the descriptor and removes the folder (after the program ends).
    void release();

private:
    QFile m_file;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_name;
};

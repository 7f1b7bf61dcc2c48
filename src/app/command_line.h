#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>

// The program's own command line: --help, --version, a setup file to start
// with, a script to run, recordings (--record) and a headless run
// (--headless). The command line is checked, and --help and --version
// answered on standard output, before the QApplication exists, so none of it
// needs a display or opens a window. An unknown option, an option without
// its value or more than one setup file ends the program with status 2 and
// the reason on standard error. Qt's own options (-style, -platform, ...)
// are left for QApplication to take.
class CommandLine
{
public:
    CommandLine();

    // Checks the command line and answers --help or --version; returns the
    // exit status the program ends with, or nothing when it should start.
    std::optional<int> answerAtOnce(int &argc, char **argv);
    // The setup file named in `arguments` (the application's, once Qt has
    // taken its options out), as an absolute path; empty when none is.
    QString setupFile(const QStringList &arguments);
    // After answerAtOnce(): --headless, and the --script and --record
    // values (both work in the window too).
    bool headless() const { return m_parser.isSet(m_headless); }
    QString script() const;
    QStringList records() const { return m_parser.values(m_record); }
    // --allow-listen-beyond-loopback: a headless run may listen at "*" or
    // another address beyond loopback when its setup asks for it.
    bool allowsListeningBeyondLoopback() const { return m_parser.isSet(m_allowListen); }

private:
    QCommandLineParser m_parser;
    const QCommandLineOption m_help;
    const QCommandLineOption m_version;
    const QCommandLineOption m_headless;
    const QCommandLineOption m_script;
    const QCommandLineOption m_record;
    const QCommandLineOption m_allowListen;
};

#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>

// The program's own command line: --help, --version, a setup file to
// start with, a script to run, and a headless run (--headless, --record). --help and --version are
// answered on standard output before the QApplication exists, so they need no display and open no
// window. Qt's own options (-style, -platform, ...) are left for QApplication to take; the setup
// file is read from what it leaves.
class CommandLine
{
public:
    CommandLine();

    // Answers --help or --version and returns the exit status the program
    // ends with; returns nothing when the program should start.
    std::optional<int> answerAtOnce(int &argc, char **argv);
    // The setup file named in `arguments` (the application's, once Qt has
    // taken its options out), as an absolute path; empty when none is.
    QString setupFile(const QStringList &arguments);
    // After answerAtOnce(): --headless, and the --script and --record
    // values (a script also runs in the window).
    bool headless() const { return m_parser.isSet(m_headless); }
    QString script() const;
    QStringList records() const { return m_parser.values(m_record); }

private:
    QCommandLineParser m_parser;
    const QCommandLineOption m_help;
    const QCommandLineOption m_version;
    const QCommandLineOption m_headless;
    const QCommandLineOption m_script;
    const QCommandLineOption m_record;
};

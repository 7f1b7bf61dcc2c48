#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>

// The program's own command-line options. --help and --version are answered
// on standard output before the QApplication exists, so they need no display
// and open no window. Qt's own options (-style, -platform, ...) are left for
// QApplication to take.
class CommandLine
{
public:
    CommandLine();

    // Answers --help or --version and returns the exit status the program
    // ends with; returns nothing when the program should start.
    std::optional<int> answerAtOnce(int &argc, char **argv);

private:
    QCommandLineParser m_parser;
    const QCommandLineOption m_help;
    const QCommandLineOption m_version;
};

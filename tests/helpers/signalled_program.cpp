// The program as it starts for real (splash, then main window), with
// channel 1 switched on to a TCP peer and channel 2 to a serial device, for
// tests that stop it with a signal. Prints "ready" once both are on.
//   signalled_program TCP-PORT DEVICE-PATH [RECORD-PATH]
// With RECORD-PATH, channel 2 is recorded raw into that file.
#include "app/program_start.h"
#include "devices/recordings.h"
#include "ui/channel_group.h"
#include "ui/display_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4)
        return 2;
    const QString tcpPort = QString::fromLocal8Bit(argv[1]);
    const QString device = QString::fromLocal8Bit(argv[2]);
    const QString recordPath = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();

    ProgramStart program;
    QTimer waitForMain;
    QObject::connect(&waitForMain, &QTimer::timeout, &app, [&] {
        DisplayWindow *window = program.display();
        if (!window || !window->isVisible())
            return;
        waitForMain.stop();
        ChannelGroup &one = window->controls()->group(1);
        one.widgets().cmbPort->setEditText(QStringLiteral("TCP"));
        one.widgets().txtPort->setText(tcpPort);
        one.widgets().optOn->click();
        ChannelGroup &two = window->controls()->group(2);
        two.widgets().cmbPort->setEditText(device);
        two.widgets().optOn->click();
        if (!recordPath.isEmpty() && !program.session.recordings()
                                          .start(RecordSource::channel(2), RecordKind::Raw,
                                                 recordPath, FileWriter::Existing::Replace)
                                          .isEmpty()) {
            std::printf("failed\n");
            std::fflush(stdout);
            return;
        }
        std::printf("%s\n", one.widgets().optOn->isChecked() && two.widgets().optOn->isChecked()
                                ? "ready"
                                : "failed");
        std::fflush(stdout);
    });
    waitForMain.start(50);
    return program.exec();
}

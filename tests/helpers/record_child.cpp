// A recording program for a test to kill: switches channel 2 on to the
// device given, records it raw and as a Hex log, and prints "ready", then
// the received count after every batch.
#include "devices/capture_session.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s DEVICE RAW-FILE LOG-FILE\n", argv[0]);
        return 2;
    }
    CaptureSession session;
    session.setSignOnDefaults();
    Channel &channel = session.channel(2);
    channel.setFormat(ReceiveFormat::Hex);
    Recordings &recordings = session.recordings();
    const QString failure =
        recordings.start(RecordSource::channel(2), RecordKind::Raw, QString::fromLocal8Bit(argv[2]),
                         FileWriter::Existing::Replace) +
        recordings.start(RecordSource::allChannels(), RecordKind::Log,
                         QString::fromLocal8Bit(argv[3]), FileWriter::Existing::Replace);
    channel.switchOnSerial(QString::fromLocal8Bit(argv[1]), session.serialSettings());
    if (!failure.isEmpty() || !channel.isOn()) {
        std::fprintf(stderr, "can't start: %s\n", qPrintable(failure));
        return 3;
    }
    QObject::connect(&channel, &Channel::batchReceived, &app, [&channel] {
        std::printf("%lld\n", channel.receivedCount());
        std::fflush(stdout);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#pragma once

#include <QList>
#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <initializer_list>
#include <memory>

// Turns the stop signals (SIGTERM, SIGINT, SIGHUP by default) into a Qt
// signal through a self-pipe, so the program ends through its ordinary exit:
// ports and connections closed in order. The handler itself only writes to
// the pipe.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    bool install(std::initializer_list<int> signalNumbers = {SIGTERM, SIGINT, SIGHUP});

signals:
    void stopRequested();

private:
    static void handle(int signalNumber);
    void drain();

    static inline int s_pipe[2] = {-1, -1};
    QList<int> m_installed;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
